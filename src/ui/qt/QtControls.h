#pragma once
// The view interfaces on Qt widgets. Each adapter owns nothing but a pointer
// to its widget and forwards the widget's own change signals to the core's
// handler, so a value set from code runs the handler exactly as a user's
// change does.

#include "ui/qt/LogListModel.h"
#include "view/controls.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTreeView>
#include <QWidget>

#include <vector>

namespace ui {

// Converts the form's twips (15 to a pixel at 96 dpi) to device-independent pixels.
inline int twipsToPixels(int twips) {
    return (twips + 7) / 15;
}

// A check box whose value 2 is the greyed state, which only code sets: a
// click toggles between ticked and not ticked.
class TwoStateCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override { setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked); }
};

class QtCheckBox : public view::CheckBox {
public:
    explicit QtCheckBox(TwoStateCheckBox* box);
    int value() const noexcept override;
    void setValue(int value) noexcept override;

private:
    TwoStateCheckBox* m_box;
};

class QtTextBox : public view::TextBox {
public:
    explicit QtTextBox(QLineEdit* edit);
    std::string text() const noexcept override;
    void setText(const std::string& text) noexcept override;

private:
    QLineEdit* m_edit;
};

class QtLabel : public view::Label {
public:
    explicit QtLabel(QLabel* label) : m_label(label) {}
    void setCaption(const std::string& caption) noexcept override;

private:
    QLabel* m_label;
};

class QtButton : public view::Button {
public:
    explicit QtButton(QPushButton* button);
};

// A picture box that keeps what is painted into it, drawing in twips.
class PictureWidget : public QWidget {
public:
    PictureWidget(int widthTwips, int heightTwips, bool border, QWidget* parent);
    int widthTwips() const { return m_widthTwips; }
    int heightTwips() const { return m_heightTwips; }
    void clearPicture();
    void fillRectangle(int left, int top, int right, int bottom, const QColor& colour);
    void showPixmap(const QPixmap& pixmap);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_widthTwips;
    int m_heightTwips;
    bool m_border;
    // What has been painted, as rectangles in twips (repainted at any scale).
    struct Fill {
        QRect twips;
        QColor colour;
    };
    std::vector<Fill> m_fills;
    QPixmap m_pixmap;
};

class QtPictureBox : public view::PictureBox {
public:
    explicit QtPictureBox(PictureWidget* widget, std::vector<QPixmap> images = {})
        : m_widget(widget), m_images(std::move(images)) {}
    std::int32_t width() const noexcept override { return m_widget->widthTwips(); }
    std::int32_t height() const noexcept override { return m_widget->heightTwips(); }
    void clear() noexcept override { m_widget->clearPicture(); }
    void fillRectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                       view::Colour colour) noexcept override;
    void showImage(int index) noexcept override;

private:
    PictureWidget* m_widget;
    std::vector<QPixmap> m_images;
};

class QtListView : public view::ListView {
public:
    QtListView(QTreeView* view, LogListModel* model) : m_view(view), m_model(model) {}
    std::int64_t rowCount() const noexcept override { return m_model->rows().size(); }
    std::optional<std::string> subItem(std::int64_t row, ChangeColumn column) const noexcept override;
    void appendRow(const ChangeRow& row) override;
    void clear() noexcept override { m_model->clearRows(); }
    void ensureVisible(std::int64_t row) noexcept override;

private:
    QTreeView* m_view;
    LogListModel* m_model;
};

} // namespace ui
