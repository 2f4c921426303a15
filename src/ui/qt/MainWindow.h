#pragma once
// The main window on Qt Widgets, built from the designed form's control
// table: every control at its place, size and tab position, and the view
// adapters the core drives.

#include "app/frmMain.h"
#include "ui/qt/LogListModel.h"

#include <QWidget>

#include <cstddef>
#include <functional>
#include <memory>

class QTreeView;

namespace ui {

class MainWindow : public QWidget, public view::Window {
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The controls as the core sees them.
    frmMainControls controls();

    // view::Window
    void setCaption(const std::string& caption) noexcept override;
    view::WindowState state() const noexcept override;
    void setState(view::WindowState state) noexcept override;
    void show() noexcept override { QWidget::show(); }
    void hide() noexcept override { QWidget::hide(); }
    void bringToFront() noexcept override;
    void close() noexcept override;
    bool canHideToTray() const noexcept override;

    // Called when the user closes the window (the core's unload).
    std::function<void()> onClose;

    LogListModel* logModel() const { return m_logModel; }
    QTreeView* logView() const { return m_logView; }
    // The widget of a control, by its name (for tests and screenshots).
    QWidget* control(const char* name) const;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The widget of the control at `position` in the table if it has a
    // window, or nullptr; either way its adapter.
    QWidget* createControl(std::size_t position);

    struct Adapters;
    std::unique_ptr<Adapters> m_adapters;
    LogListModel* m_logModel = nullptr;
    QTreeView* m_logView = nullptr;
};

} // namespace ui
