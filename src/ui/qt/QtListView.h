#pragma once
// The view's change list on a Qt tree view over the compact row store.

#include "ui/qt/LogListModel.h"
#include "view/controls.h"

#include <QTreeView>

namespace ui {

class QtListView : public view::ListView {
public:
    // Gives each row its copy's tooltip, double click and Enter, and menu.
    QtListView(QTreeView* view, LogListModel* model);
    std::int64_t rowCount() const noexcept override { return m_model->rows().size(); }
    std::optional<std::string> subItem(std::int64_t row, ChangeColumn column) const noexcept override;
    void appendRow(const ChangeRow& row) override;
    void clear() noexcept override { m_model->clearRows(); }
    void ensureVisible(std::int64_t row) noexcept override;

    std::optional<view::RowCommand> popupRowMenu(bool enabled) noexcept override;

private:
    // Where the row menu was last asked for, on the screen.
    QPoint m_menuAt;

    QTreeView* m_view;
    LogListModel* m_model;
};

} // namespace ui
