#include "ui/qt/QtPictureBox.h"

#include <QPainter>
#include <QPalette>

namespace ui {

PictureWidget::PictureWidget(int widthTwips, int heightTwips, bool border, QWidget* parent)
    : QWidget(parent), m_widthTwips(widthTwips), m_heightTwips(heightTwips), m_border(border) {
    // The box paints all of itself, so a repaint (the animation, twice a
    // second) never has the labels it overlaps lay out their text again.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

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

void PictureWidget::showFrame(const QPixmap& frame) {
    // Drawn within the tick that steps the animation: a repaint request
    // would cost the loop another turn (and the thread another wake-up).
    m_pixmap = frame;
    repaint();
}

void PictureWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(backgroundRole()));
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
        m_widget->showFrame(m_images[static_cast<std::size_t>(index - 1)]);
    }
}

} // namespace ui
