#include "ui/qt/QtControls.h"

#include <QPainter>
#include <QPalette>

namespace ui {

namespace {

// Runs a core handler from a Qt signal; nothing thrown may cross into Qt.
void run(const view::Handler& handler) {
    try {
        if (handler) {
            handler();
        }
    } catch (...) {
    }
}

} // namespace

QtCheckBox::QtCheckBox(TwoStateCheckBox* box) : m_box(box) {
    QObject::connect(box, &QCheckBox::stateChanged, box, [this](int) { run(onClick); });
}

int QtCheckBox::value() const noexcept {
    switch (m_box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void QtCheckBox::setValue(int value) noexcept {
    const auto state = value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
    if (state == Qt::PartiallyChecked) {
        m_box->setTristate(true);
    }
    m_box->setCheckState(state); // emits stateChanged only when the state changes
}

QtTextBox::QtTextBox(QLineEdit* edit) : m_edit(edit) {
    QObject::connect(edit, &QLineEdit::textChanged, edit, [this](const QString&) { run(onChange); });
}

std::string QtTextBox::text() const noexcept {
    return m_edit->text().toStdString();
}

void QtTextBox::setText(const std::string& text) noexcept {
    m_edit->setText(QString::fromStdString(text)); // emits textChanged only when the text changes
}

void QtLabel::setCaption(const std::string& caption) noexcept {
    m_label->setText(QString::fromStdString(caption));
}

QtButton::QtButton(QPushButton* button) {
    QObject::connect(button, &QPushButton::clicked, button, [this] { run(onClick); });
}

PictureWidget::PictureWidget(int widthTwips, int heightTwips, bool border, QWidget* parent)
    : QWidget(parent), m_widthTwips(widthTwips), m_heightTwips(heightTwips), m_border(border) {}

void PictureWidget::clearPicture() {
    m_fills.clear();
    m_pixmap = QPixmap();
    update();
}

void PictureWidget::fillRectangle(int left, int top, int right, int bottom, const QColor& colour) {
    // Everything painted before lies under a rectangle that covers the whole
    // box, so the list never grows beyond what one repaint draws.
    if (left <= 0 && top <= 0 && right >= m_widthTwips && bottom >= m_heightTwips) {
        m_fills.clear();
    }
    m_fills.push_back({QRect(QPoint(left, top), QPoint(right, bottom)).normalized(), colour});
    update();
}

void PictureWidget::showPixmap(const QPixmap& pixmap) {
    m_pixmap = pixmap;
    update();
}

void PictureWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect inside = rect();
    if (m_border) {
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        inside = rect().adjusted(1, 1, -1, -1);
    }
    painter.setClipRect(inside);
    const double scaleX = static_cast<double>(width()) / m_widthTwips;
    const double scaleY = static_cast<double>(height()) / m_heightTwips;
    for (const auto& fill : m_fills) {
        const QRectF area(inside.left() + fill.twips.left() * scaleX, inside.top() + fill.twips.top() * scaleY,
                          fill.twips.width() * scaleX, fill.twips.height() * scaleY);
        painter.fillRect(area, fill.colour);
    }
    if (!m_pixmap.isNull()) {
        const QSize size = m_pixmap.deviceIndependentSize().toSize();
        painter.drawPixmap(QRect(QPoint(0, 0), size.scaled(inside.size(), Qt::KeepAspectRatio)), m_pixmap);
    }
}

void QtPictureBox::fillRectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                                 view::Colour colour) noexcept {
    const QColor qtColour =
        colour.buttonFace ? m_widget->palette().color(QPalette::Button) : QColor(colour.red, colour.green, colour.blue);
    m_widget->fillRectangle(left, top, right, bottom, qtColour);
}

void QtPictureBox::showImage(int index) noexcept {
    if (index >= 1 && static_cast<std::size_t>(index) <= m_images.size()) {
        m_widget->showPixmap(m_images[static_cast<std::size_t>(index - 1)]);
    }
}

std::optional<std::string> QtListView::subItem(std::int64_t row, ChangeColumn column) const noexcept {
    const auto text = m_model->rows().text(row - 1, column);
    return text ? std::optional<std::string>(std::string(*text)) : std::nullopt;
}

void QtListView::appendRow(const ChangeRow& row) {
    m_model->appendRow(row);
}

void QtListView::ensureVisible(std::int64_t row) noexcept {
    if (row >= 1 && row <= m_model->rows().size()) {
        m_view->scrollTo(m_model->index(static_cast<int>(row - 1), 0));
    }
}

} // namespace ui
