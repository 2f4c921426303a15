#include "view/artwork.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <utility>

namespace view::artwork {

namespace {

struct Colour {
    std::uint8_t r, g, b;
};

constexpr Colour kPaper{0xFA, 0xFA, 0xF7};
constexpr Colour kInk{0x37, 0x47, 0x4F};
constexpr Colour kBlue{0x1E, 0x63, 0xC8};
constexpr Colour kGreen{0x2E, 0x9E, 0x4F};
constexpr Colour kAmber{0xE8, 0x8A, 0x00};
constexpr Colour kRed{0xD3, 0x2F, 0x2F};
constexpr Colour kGrey{0x8A, 0x93, 0x99};
constexpr Colour kRule{0xB0, 0xBE, 0xC5};
constexpr Colour kWhite{0xFF, 0xFF, 0xFF};

struct Point {
    double x;
    double y;
};

using Path = std::vector<Point>;

Point onCircle(Point centre, double radiusX, double radiusY, double degrees) {
    const double angle = degrees * std::numbers::pi / 180.0;
    return {centre.x + radiusX * std::cos(angle), centre.y - radiusY * std::sin(angle)};
}

// A part of the unit square: where it may lie, and how far a point is from
// its edge, negative inside. The distance may be less than the true one, never more.
struct Shape {
    double left, top, right, bottom;
    std::function<double(Point)> distance;
};

double segmentDistance(Point p, Point a, Point b) {
    const Point ab{b.x - a.x, b.y - a.y};
    const double squared = ab.x * ab.x + ab.y * ab.y;
    const double t = squared > 0 ? std::clamp(((p.x - a.x) * ab.x + (p.y - a.y) * ab.y) / squared, 0.0, 1.0) : 0.0;
    return std::hypot(p.x - a.x - t * ab.x, p.y - a.y - t * ab.y);
}

Shape disc(Point centre, double radius) {
    return {centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius,
            [=](Point p) { return std::hypot(p.x - centre.x, p.y - centre.y) - radius; }};
}

// A circle's outline, `width` across, centred on the circle.
Shape ring(Point centre, double radius, double width) {
    const double outer = radius + width / 2;
    return {centre.x - outer, centre.y - outer, centre.x + outer, centre.y + outer,
            [=](Point p) { return std::abs(std::hypot(p.x - centre.x, p.y - centre.y) - radius) - width / 2; }};
}

Shape bounded(const Path& path, double margin, std::function<double(Point)> distance) {
    Shape shape{1e9, 1e9, -1e9, -1e9, std::move(distance)};
    for (const Point& p : path) {
        shape.left = std::min(shape.left, p.x - margin);
        shape.top = std::min(shape.top, p.y - margin);
        shape.right = std::max(shape.right, p.x + margin);
        shape.bottom = std::max(shape.bottom, p.y + margin);
    }
    return shape;
}

// The inside of a closed outline (even-odd).
Shape polygon(const Path& path) {
    return bounded(path, 0, [path](Point p) {
        bool inside = false;
        double distance = 1e9;
        for (std::size_t i = 0, j = path.size() - 1; i < path.size(); j = i++) {
            const Point& a = path[i];
            const Point& b = path[j];
            distance = std::min(distance, segmentDistance(p, a, b));
            if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) {
                inside = !inside;
            }
        }
        return inside ? -distance : distance;
    });
}

enum class Cap { Flat, Square, Round };

// A pen `width` wide drawn along the path, round at its corners. An open
// path ends as `cap` says; a closed one goes back to its start.
Shape stroke(Path path, double width, Cap cap, bool closed = false) {
    if (closed) {
        path.push_back(path.front());
    }
    const double half = width / 2;
    const Path outline = path;
    return bounded(outline, half, [path = std::move(path), half, cap, closed](Point p) {
        double nearest = 1e9;
        for (std::size_t i = 0; i + 1 < path.size(); ++i) {
            const Point a = path[i];
            const Point b = path[i + 1];
            const double length = std::hypot(b.x - a.x, b.y - a.y);
            if (length == 0) {
                continue;
            }
            const Point along{(b.x - a.x) / length, (b.y - a.y) / length};
            const double t = (p.x - a.x) * along.x + (p.y - a.y) * along.y;
            const double across = std::abs((p.x - a.x) * along.y - (p.y - a.y) * along.x) - half;
            const double beyond = std::max(-t, t - length);
            const Cap end = !closed && ((t < 0 && i == 0) || (t > length && i + 2 == path.size())) ? cap : Cap::Round;
            double distance = across;
            if (beyond > 0 && end == Cap::Round) {
                distance = std::hypot(beyond, across + half) - half;
            } else if (beyond > 0) {
                distance = std::max(across, end == Cap::Square ? beyond - half : beyond);
            }
            nearest = std::min(nearest, distance);
        }
        return nearest;
    });
}

// The dashes of a dashed line along the path: `dash` drawn, `gap` left out, again and again.
std::vector<Path> dashes(Path path, double dash, double gap, bool closed) {
    if (closed) {
        path.push_back(path.front());
    }
    std::vector<Path> out;
    bool drawing = true;
    double left = dash; // of the current dash or gap
    Path current{path.front()};
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
        Point from = path[i];
        const Point to = path[i + 1];
        double length = std::hypot(to.x - from.x, to.y - from.y);
        while (length > left) {
            const double k = left / length;
            from = {from.x + (to.x - from.x) * k, from.y + (to.y - from.y) * k};
            length -= left;
            if (drawing) {
                current.push_back(from);
                out.push_back(std::move(current));
            }
            current = {from};
            drawing = !drawing;
            left = drawing ? dash : gap;
        }
        left -= length;
        current.push_back(to);
    }
    if (drawing && current.size() > 1) {
        out.push_back(std::move(current));
    }
    return out;
}

// Points along the quadratic curve from `from` to `to`, without `from`.
void quadTo(Path& path, Point control, Point to) {
    constexpr int kSteps = 12;
    const Point from = path.back();
    for (int i = 1; i <= kSteps; ++i) {
        const double t = static_cast<double>(i) / kSteps;
        const double u = 1 - t;
        path.push_back({u * u * from.x + 2 * u * t * control.x + t * t * to.x,
                        u * u * from.y + 2 * u * t * control.y + t * t * to.y});
    }
}

// The picture being drawn: premultiplied red, green, blue and alpha per
// pixel, each shape laid over what is there with the share of the pixel's
// samples it holds as its alpha.
class Canvas {
public:
    explicit Canvas(int size)
        : m_size(size), m_samples(size <= 64 ? 8 : 4), m_pixels(static_cast<std::size_t>(size) * size * 4, 0.0) {}

    // A pixel's width in the unit square.
    double pixel() const { return 1.0 / m_size; }

    void paint(const Shape& shape, Colour colour, double opacity = 1.0) {
        paint(shape, colour, [opacity](Point) { return opacity; });
    }

    // `opacity` may change from point to point, as a gradient does. Only
    // the pixels the shape's edge may cross are sampled.
    void paint(const Shape& shape, Colour colour, const std::function<double(Point)>& opacity) {
        const auto first = [this](double unit) { return std::clamp(static_cast<int>(unit * m_size), 0, m_size); };
        const auto last = [this](double unit) {
            return std::clamp(static_cast<int>(std::ceil(unit * m_size)), 0, m_size);
        };
        const double step = 1.0 / (m_samples * m_size);
        const double samples = static_cast<double>(m_samples) * m_samples;
        const double halfDiagonal = 0.71 / m_size;
        for (int y = first(shape.top); y < last(shape.bottom); ++y) {
            for (int x = first(shape.left); x < last(shape.right); ++x) {
                const Point centre{(x + 0.5) / m_size, (y + 0.5) / m_size};
                const double distance = shape.distance(centre);
                double alpha = 0;
                if (distance < -halfDiagonal) {
                    alpha = opacity(centre);
                } else if (distance <= halfDiagonal) {
                    double covered = 0;
                    for (int sy = 0; sy < m_samples; ++sy) {
                        for (int sx = 0; sx < m_samples; ++sx) {
                            const Point p{static_cast<double>(x) / m_size + (sx + 0.5) * step,
                                          static_cast<double>(y) / m_size + (sy + 0.5) * step};
                            if (shape.distance(p) <= 0) {
                                covered += opacity(p);
                            }
                        }
                    }
                    alpha = covered / samples;
                }
                if (alpha <= 0) {
                    continue;
                }
                double* d = &m_pixels[(static_cast<std::size_t>(y) * m_size + x) * 4];
                d[0] = colour.r / 255.0 * alpha + d[0] * (1 - alpha);
                d[1] = colour.g / 255.0 * alpha + d[1] * (1 - alpha);
                d[2] = colour.b / 255.0 * alpha + d[2] * (1 - alpha);
                d[3] = alpha + d[3] * (1 - alpha);
            }
        }
    }

    Image image() const {
        Image out{m_size, std::vector<std::uint8_t>(m_pixels.size(), 0)};
        for (std::size_t i = 0; i < m_pixels.size(); i += 4) {
            const double alpha = std::clamp(m_pixels[i + 3], 0.0, 1.0);
            const auto byte = [](double value) {
                return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
            };
            for (std::size_t c = 0; c < 3; ++c) {
                out.rgba[i + c] = alpha > 0 ? byte(m_pixels[i + c] / alpha) : 0;
            }
            out.rgba[i + 3] = byte(alpha);
        }
        return out;
    }

private:
    int m_size;
    int m_samples; // per pixel, along each side
    std::vector<double> m_pixels;
};

// The watched file: a sheet with a folded top-right corner in the box from
// (left, top), `width` by `height`; dashed where the file was.
void sheet(Canvas& c, Point topLeft, double width, double height, Colour outline, bool dashed = false) {
    const double fold = width * 0.32;
    const double right = topLeft.x + width;
    const double bottom = topLeft.y + height;
    const double pen = width * 0.09;
    const Path page{{topLeft.x, topLeft.y},
                    {right - fold, topLeft.y},
                    {right, topLeft.y + fold},
                    {right, bottom},
                    {topLeft.x, bottom}};
    const Path corner{{right - fold, topLeft.y}, {right - fold, topLeft.y + fold}, {right, topLeft.y + fold}};
    if (!dashed) {
        c.paint(polygon(page), kPaper);
        c.paint(stroke(page, pen, Cap::Round, true), outline);
        c.paint(stroke(corner, pen, Cap::Square), outline);
        return;
    }
    // Square ends lengthen each dash by a pen's width, which would close
    // the gaps of a pen thinner than a pixel and a half.
    const Cap ends = pen < 1.5 * c.pixel() ? Cap::Flat : Cap::Square;
    for (const auto& [path, closed] : {std::pair{page, true}, std::pair{corner, false}}) {
        for (const Path& dash : dashes(path, pen * 1.6, pen * 1.2, closed)) {
            c.paint(stroke(dash, pen, ends), outline);
        }
    }
}

// A round badge, with a white rim so it reads on any panel.
void badge(Canvas& c, Colour fill, Point centre = {0.70, 0.70}, double radius = 0.29) {
    c.paint(disc(centre, radius), fill);
    c.paint(ring(centre, radius, 0.07), kWhite);
}

// A white mark on a badge.
void mark(Canvas& c, Path path, double width = 0.09) {
    c.paint(stroke(std::move(path), width, Cap::Round), kWhite);
}

void eye(Canvas& c, Point centre, double width, Colour colour) {
    Path lids{{centre.x - width / 2, centre.y}};
    quadTo(lids, {centre.x, centre.y - width * 0.55}, {centre.x + width / 2, centre.y});
    quadTo(lids, {centre.x, centre.y + width * 0.55}, {centre.x - width / 2, centre.y});
    lids.pop_back();
    c.paint(polygon(lids), kWhite);
    c.paint(stroke(lids, width * 0.09, Cap::Round, true), colour);
    c.paint(disc(centre, width * 0.17), colour);
}

void smallSheet(Canvas& c, Colour outline, bool dashed = false) {
    sheet(c, {0.08, 0.04}, 0.62, 0.80, outline, dashed);
}

// A padlock: the shackle, the upper half of an ellipse, over a rounded body.
void padlock(Canvas& c) {
    Path shackle;
    for (int degrees = 0; degrees <= 180; degrees += 6) {
        shackle.push_back(onCircle({0.70, 0.61}, 0.08, 0.09, degrees));
    }
    mark(c, shackle, 0.06);
    constexpr double kLeft = 0.58, kTop = 0.62, kRight = 0.82, kBottom = 0.79, kRadius = 0.03;
    c.paint({kLeft, kTop, kRight, kBottom,
             [](Point p) {
                 const double dx = std::abs(p.x - (kLeft + kRight) / 2) - ((kRight - kLeft) / 2 - kRadius);
                 const double dy = std::abs(p.y - (kTop + kBottom) / 2) - ((kBottom - kTop) / 2 - kRadius);
                 return std::hypot(std::max(dx, 0.0), std::max(dy, 0.0)) + std::min(std::max(dx, dy), 0.0) - kRadius;
             }},
            kWhite);
}

// The picture `paint` draws, `size` pixels square; empty unless `drawn`.
template <typename Paint>
Image draw(int size, bool drawn, Paint paint) {
    if (!drawn || size < 1) {
        return {};
    }
    Canvas c(size);
    paint(c);
    return c.image();
}

} // namespace

Image stateIcon(int state, int size) {
    return draw(size, state >= 0 && state < kStateIcons, [state](Canvas& c) {
        switch (state) {
        case 0: // Free: a green tick.
            smallSheet(c, kInk);
            badge(c, kGreen);
            mark(c, {{0.57, 0.71}, {0.67, 0.81}, {0.84, 0.60}});
            break;
        case 1: // Open: an amber padlock, the file is held by another program.
            smallSheet(c, kInk);
            badge(c, kAmber);
            padlock(c);
            break;
        case 2: // Error: a red exclamation mark.
            smallSheet(c, kInk);
            badge(c, kRed);
            mark(c, {{0.70, 0.56}, {0.70, 0.71}});
            c.paint(disc({0.70, 0.83}, 0.045), kWhite);
            break;
        case 3: // No File: a dashed outline where the file was, and a grey cross.
            smallSheet(c, kGrey, true);
            badge(c, kGrey);
            mark(c, {{0.61, 0.61}, {0.79, 0.79}}, 0.08);
            mark(c, {{0.79, 0.61}, {0.61, 0.79}}, 0.08);
            break;
        default: // Monitoring off: a grey pause sign.
            smallSheet(c, kGrey);
            badge(c, kGrey);
            mark(c, {{0.65, 0.60}, {0.65, 0.80}}, 0.075);
            mark(c, {{0.75, 0.60}, {0.75, 0.80}}, 0.075);
            break;
        }
    });
}

Image animationFrame(int frame, int size) {
    // A radar sweep around the watched file, clockwise from twelve o'clock.
    return draw(size, frame >= 0 && frame < kAnimationFrames, [frame](Canvas& c) {
        const Point centre{0.5, 0.5};
        const double radius = 0.44;
        const double hand = 90.0 - frame * 360.0 / kAnimationFrames;
        c.paint(ring(centre, radius, 0.05), kBlue, 60.0 / 255);
        // The trail behind the hand fades out over a quarter turn: the
        // quarter of the disc between the hand and the radius a quarter turn
        // anticlockwise from it.
        const Point from = onCircle({0, 0}, 1, 1, hand);
        const Point to = onCircle({0, 0}, 1, 1, hand + 90);
        const Shape disk = disc(centre, radius);
        c.paint({disk.left, disk.top, disk.right, disk.bottom,
                 [=](Point p) {
                     const Point v{p.x - centre.x, p.y - centre.y};
                     return std::max({disk.distance(p), v.y * from.x - v.x * from.y, v.x * to.y - v.y * to.x});
                 }},
                kBlue, [=](Point p) {
                    const double degrees = std::atan2(centre.y - p.y, p.x - centre.x) * 180.0 / std::numbers::pi;
                    return 200.0 / 255 * std::max(0.0, 1 - std::fmod(degrees - hand + 720.0, 360.0) / 90);
                });
        sheet(c, {0.33, 0.27}, 0.34, 0.46, kInk);
        c.paint(stroke({centre, onCircle(centre, radius, radius, hand)}, 0.05, Cap::Round), kBlue);
    });
}

Image logo(int size) {
    return draw(size, true, [](Canvas& c) {
        sheet(c, {0.14, 0.06}, 0.62, 0.84, kInk);
        for (const double y : {0.30, 0.40, 0.50}) {
            c.paint(stroke({{0.24, y}, {0.56, y}}, 0.035, Cap::Round), kRule);
        }
        badge(c, kBlue, {0.68, 0.70}, 0.27);
        eye(c, {0.68, 0.70}, 0.36, kBlue);
    });
}

Image applicationIcon(int size) {
    return draw(size, true, [](Canvas& c) {
        sheet(c, {0.12, 0.04}, 0.62, 0.86, kInk);
        badge(c, kBlue, {0.68, 0.70}, 0.30);
        eye(c, {0.68, 0.70}, 0.40, kBlue);
    });
}

} // namespace view::artwork
