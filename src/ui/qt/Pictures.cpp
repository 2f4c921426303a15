#include "ui/qt/Pictures.h"

#include "view/artwork.h"

#include <QImage>

namespace ui::pictures {

namespace {

QPixmap toPixmap(const view::artwork::Image& image, qreal ratio) {
    // The image only lends its pixels; the conversion copies them.
    const QImage pixels(image.rgba.data(), image.size, image.size, image.size * 4, QImage::Format_RGBA8888);
    QPixmap pixmap = QPixmap::fromImage(pixels.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

int devicePixels(int size, qreal ratio) {
    return qRound(size * ratio);
}

} // namespace

std::vector<QPixmap> stateIcons(qreal ratio) {
    std::vector<QPixmap> icons;
    for (int state = 0; state < view::artwork::kStateIcons; ++state) {
        icons.push_back(toPixmap(view::artwork::stateIcon(state, devicePixels(16, ratio)), ratio));
    }
    return icons;
}

std::vector<QPixmap> animationFrames(qreal ratio) {
    std::vector<QPixmap> frames;
    for (int frame = 0; frame < view::artwork::kAnimationFrames; ++frame) {
        frames.push_back(toPixmap(view::artwork::animationFrame(frame, devicePixels(32, ratio)), ratio));
    }
    return frames;
}

QPixmap logo(qreal ratio) {
    return toPixmap(view::artwork::logo(devicePixels(48, ratio)), ratio);
}

QPixmap applicationIcon(int size) {
    return toPixmap(view::artwork::applicationIcon(size), 1.0);
}

QIcon windowIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64}) {
        icon.addPixmap(applicationIcon(size));
    }
    return icon;
}

} // namespace ui::pictures
