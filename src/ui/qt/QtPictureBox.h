#pragma once
// The view's picture box: a widget that keeps what is painted into it, in
// twips, and the adapter that shows the pictures of its image list.

#include "view/controls.h"

#include <QPixmap>
#include <QWidget>

#include <vector>

namespace ui {

// A picture box that keeps what is painted into it, drawing in twips.
class PictureWidget : public QWidget {
public:
    PictureWidget(int widthTwips, int heightTwips, bool border, QWidget* parent);
    int widthTwips() const { return m_widthTwips; }
    int heightTwips() const { return m_heightTwips; }
    void clearPicture();
    void fillRectangle(int left, int top, int right, int bottom, const QColor& colour);
    void showPixmap(const QPixmap& pixmap);
    // One of its image list's pictures: a frame of the busy animation.
    void showFrame(const QPixmap& frame);

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

} // namespace ui
