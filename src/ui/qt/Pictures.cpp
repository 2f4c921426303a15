#include "ui/qt/Pictures.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace ui::pictures {

namespace {

const QColor kPaper(0xFA, 0xFA, 0xF7);
const QColor kInk(0x37, 0x47, 0x4F);
const QColor kBlue(0x1E, 0x63, 0xC8);
const QColor kGreen(0x2E, 0x9E, 0x4F);
const QColor kAmber(0xE8, 0x8A, 0x00);
const QColor kRed(0xD3, 0x2F, 0x2F);
const QColor kGrey(0x8A, 0x93, 0x99);

// A transparent pixmap of `size` logical pixels, painted in a unit square.
template <typename Paint>
QPixmap draw(int size, qreal ratio, Paint paint) {
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size, size);
    paint(painter);
    return pixmap;
}

// The watched file: a sheet with a folded top-right corner, in a unit box.
void sheet(QPainter& p, const QRectF& box, const QColor& outline, bool dashed = false) {
    const qreal fold = box.width() * 0.32;
    QPainterPath page;
    page.moveTo(box.left(), box.top());
    page.lineTo(box.right() - fold, box.top());
    page.lineTo(box.right(), box.top() + fold);
    page.lineTo(box.right(), box.bottom());
    page.lineTo(box.left(), box.bottom());
    page.closeSubpath();
    QPen pen(outline, box.width() * 0.09);
    pen.setJoinStyle(Qt::RoundJoin);
    if (dashed) {
        pen.setDashPattern({1.6, 1.2});
    }
    p.setPen(pen);
    p.setBrush(dashed ? QColor(Qt::transparent) : kPaper);
    p.drawPath(page);
    QPainterPath corner;
    corner.moveTo(box.right() - fold, box.top());
    corner.lineTo(box.right() - fold, box.top() + fold);
    corner.lineTo(box.right(), box.top() + fold);
    p.drawPath(corner);
}

// A round badge at the lower right, with a white rim so it reads on any panel.
void badge(QPainter& p, const QColor& fill, const QPointF& centre = {0.70, 0.70}, qreal radius = 0.29) {
    p.setPen(QPen(Qt::white, 0.07));
    p.setBrush(fill);
    p.drawEllipse(centre, radius, radius);
}

QPen mark(qreal width = 0.09) {
    QPen pen(Qt::white, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void eye(QPainter& p, const QPointF& centre, qreal width, const QColor& colour) {
    QPainterPath lids;
    lids.moveTo(centre.x() - width / 2, centre.y());
    lids.quadTo(centre.x(), centre.y() - width * 0.55, centre.x() + width / 2, centre.y());
    lids.quadTo(centre.x(), centre.y() + width * 0.55, centre.x() - width / 2, centre.y());
    p.setPen(QPen(colour, width * 0.09));
    p.setBrush(Qt::white);
    p.drawPath(lids);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(centre, width * 0.17, width * 0.17);
}

const QRectF kSmallSheet(0.08, 0.04, 0.62, 0.80);

} // namespace

std::vector<QPixmap> stateIcons(qreal ratio) {
    std::vector<QPixmap> icons;
    // Free: a green tick.
    icons.push_back(draw(16, ratio, [](QPainter& p) {
        sheet(p, kSmallSheet, kInk);
        badge(p, kGreen);
        p.setPen(mark());
        p.drawPolyline(QPolygonF({{0.57, 0.71}, {0.67, 0.81}, {0.84, 0.60}}));
    }));
    // Open: an amber padlock, the file is held by another program.
    icons.push_back(draw(16, ratio, [](QPainter& p) {
        sheet(p, kSmallSheet, kInk);
        badge(p, kAmber);
        p.setPen(mark(0.06));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(0.62, 0.52, 0.16, 0.18), 0, 180 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(0.58, 0.62, 0.24, 0.17), 0.03, 0.03);
    }));
    // Error: a red exclamation mark.
    icons.push_back(draw(16, ratio, [](QPainter& p) {
        sheet(p, kSmallSheet, kInk);
        badge(p, kRed);
        p.setPen(mark());
        p.drawLine(QPointF(0.70, 0.56), QPointF(0.70, 0.71));
        p.drawPoint(QPointF(0.70, 0.83));
    }));
    // No File: a dashed outline where the file was, and a grey cross.
    icons.push_back(draw(16, ratio, [](QPainter& p) {
        sheet(p, kSmallSheet, kGrey, true);
        badge(p, kGrey);
        p.setPen(mark(0.08));
        p.drawLine(QPointF(0.61, 0.61), QPointF(0.79, 0.79));
        p.drawLine(QPointF(0.79, 0.61), QPointF(0.61, 0.79));
    }));
    // Monitoring off: a grey pause sign.
    icons.push_back(draw(16, ratio, [](QPainter& p) {
        sheet(p, kSmallSheet, kGrey);
        badge(p, kGrey);
        p.setPen(mark(0.075));
        p.drawLine(QPointF(0.65, 0.60), QPointF(0.65, 0.80));
        p.drawLine(QPointF(0.75, 0.60), QPointF(0.75, 0.80));
    }));
    return icons;
}

std::vector<QPixmap> animationFrames(qreal ratio) {
    std::vector<QPixmap> frames;
    for (int frame = 0; frame < 18; ++frame) {
        frames.push_back(draw(32, ratio, [frame](QPainter& p) {
            // A radar sweep around the watched file: one turn in 18 frames.
            const QPointF centre(0.5, 0.5);
            p.setPen(QPen(QColor(kBlue.red(), kBlue.green(), kBlue.blue(), 60), 0.05));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(centre, 0.44, 0.44);
            const int start = 90 * 16 - frame * 20 * 16;
            QConicalGradient sweep(centre, start / 16.0);
            sweep.setColorAt(0.0, QColor(kBlue.red(), kBlue.green(), kBlue.blue(), 200));
            sweep.setColorAt(0.25, QColor(kBlue.red(), kBlue.green(), kBlue.blue(), 0));
            p.setPen(Qt::NoPen);
            p.setBrush(sweep);
            p.drawPie(QRectF(0.06, 0.06, 0.88, 0.88), start, 90 * 16); // the trail behind the sweeping hand
            sheet(p, QRectF(0.33, 0.27, 0.34, 0.46), kInk);
            const double angle = (90.0 - frame * 20.0) * M_PI / 180.0;
            p.setPen(QPen(kBlue, 0.05, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(centre, centre + QPointF(0.44 * std::cos(angle), -0.44 * std::sin(angle)));
        }));
    }
    return frames;
}

QPixmap logo(qreal ratio) {
    return draw(48, ratio, [](QPainter& p) {
        sheet(p, QRectF(0.14, 0.06, 0.62, 0.84), kInk);
        p.setPen(QPen(QColor(0xB0, 0xBE, 0xC5), 0.035, Qt::SolidLine, Qt::RoundCap));
        for (const qreal y : {0.30, 0.40, 0.50}) {
            p.drawLine(QPointF(0.24, y), QPointF(0.56, y));
        }
        badge(p, kBlue, {0.68, 0.70}, 0.27);
        eye(p, {0.68, 0.70}, 0.36, kBlue);
    });
}

QPixmap applicationIcon(int size) {
    return draw(size, 1.0, [](QPainter& p) {
        sheet(p, QRectF(0.12, 0.04, 0.62, 0.86), kInk);
        badge(p, kBlue, {0.68, 0.70}, 0.30);
        eye(p, {0.68, 0.70}, 0.40, kBlue);
    });
}

QIcon windowIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64}) {
        icon.addPixmap(applicationIcon(size));
    }
    return icon;
}

} // namespace ui::pictures
