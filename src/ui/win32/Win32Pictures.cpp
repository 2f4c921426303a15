#include "ui/win32/Win32Pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>

namespace ui::win32::pictures {

namespace {

constexpr COLORREF kKey = RGB(255, 0, 255); // no picture uses it
constexpr COLORREF kPaper = RGB(0xFA, 0xFA, 0xF7);
constexpr COLORREF kInk = RGB(0x37, 0x47, 0x4F);
constexpr COLORREF kBlue = RGB(0x1E, 0x63, 0xC8);
constexpr COLORREF kGreen = RGB(0x2E, 0x9E, 0x4F);
constexpr COLORREF kAmber = RGB(0xE8, 0x8A, 0x00);
constexpr COLORREF kRed = RGB(0xD3, 0x2F, 0x2F);
constexpr COLORREF kGrey = RGB(0x8A, 0x93, 0x99);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kRule = RGB(0xB0, 0xBE, 0xC5);

constexpr int kOversample = 4;

struct Point {
    double x;
    double y;
};

// A GDI device context drawing in a unit square.
class Pen {
public:
    Pen(HDC dc, double scale) : m_dc(dc), m_scale(scale) {}
    POINT at(Point p) const {
        return {static_cast<LONG>(std::lround(p.x * m_scale)), static_cast<LONG>(std::lround(p.y * m_scale))};
    }
    int length(double units) const { return std::max(1, static_cast<int>(std::lround(units * m_scale))); }

    // The outline pen (none for a zero width) and the fill (none without a colour).
    void use(COLORREF outline, double width, const COLORREF* brush, bool roundEnds = true) {
        release();
        if (width > 0) {
            LOGBRUSH solid{BS_SOLID, outline, 0};
            const DWORD ends = roundEnds ? (PS_ENDCAP_ROUND | PS_JOIN_ROUND) : (PS_ENDCAP_FLAT | PS_JOIN_MITER);
            m_pen =
                ::ExtCreatePen(PS_GEOMETRIC | PS_SOLID | ends, static_cast<DWORD>(length(width)), &solid, 0, nullptr);
            ::SelectObject(m_dc, m_pen);
        } else {
            ::SelectObject(m_dc, ::GetStockObject(NULL_PEN));
        }
        if (brush != nullptr) {
            m_brush = ::CreateSolidBrush(*brush);
            ::SelectObject(m_dc, m_brush);
        } else {
            ::SelectObject(m_dc, ::GetStockObject(NULL_BRUSH));
        }
    }
    ~Pen() { release(); }
    Pen(const Pen&) = delete;
    Pen& operator=(const Pen&) = delete;

    void polygon(std::initializer_list<Point> points) {
        std::vector<POINT> device;
        for (const auto& p : points) {
            device.push_back(at(p));
        }
        ::Polygon(m_dc, device.data(), static_cast<int>(device.size()));
    }
    void polyline(std::initializer_list<Point> points) {
        std::vector<POINT> device;
        for (const auto& p : points) {
            device.push_back(at(p));
        }
        ::Polyline(m_dc, device.data(), static_cast<int>(device.size()));
    }
    void line(Point from, Point to) { polyline({from, to}); }
    void ellipse(Point centre, double radius) {
        const POINT topLeft = at({centre.x - radius, centre.y - radius});
        const POINT bottomRight = at({centre.x + radius, centre.y + radius});
        ::Ellipse(m_dc, topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    }
    // A slice from `from` to `to` degrees, counted anticlockwise from three o'clock.
    void pie(Point centre, double radius, double from, double to) {
        const POINT topLeft = at({centre.x - radius, centre.y - radius});
        const POINT bottomRight = at({centre.x + radius, centre.y + radius});
        const POINT start = at(onCircle(centre, radius, from));
        const POINT end = at(onCircle(centre, radius, to));
        ::Pie(m_dc, topLeft.x, topLeft.y, bottomRight.x, bottomRight.y, start.x, start.y, end.x, end.y);
    }
    // The upper half of the ellipse in the box.
    void upperArc(Point topLeft, Point bottomRight) {
        const POINT a = at(topLeft);
        const POINT b = at(bottomRight);
        ::Arc(m_dc, a.x, a.y, b.x, b.y, b.x, (a.y + b.y) / 2, a.x, (a.y + b.y) / 2);
    }
    void roundRect(Point topLeft, Point bottomRight, double corner) {
        const POINT a = at(topLeft);
        const POINT b = at(bottomRight);
        ::RoundRect(m_dc, a.x, a.y, b.x, b.y, length(corner * 2), length(corner * 2));
    }
    // Quadratic curves, drawn as the cubic ones GDI knows, closing the outline.
    void quadLoop(Point start, std::initializer_list<std::pair<Point, Point>> curves) {
        std::vector<POINT> device{at(start)};
        Point from = start;
        for (const auto& [control, to] : curves) {
            device.push_back(at({from.x + 2.0 / 3 * (control.x - from.x), from.y + 2.0 / 3 * (control.y - from.y)}));
            device.push_back(at({to.x + 2.0 / 3 * (control.x - to.x), to.y + 2.0 / 3 * (control.y - to.y)}));
            device.push_back(at(to));
            from = to;
        }
        ::BeginPath(m_dc);
        ::PolyBezier(m_dc, device.data(), static_cast<DWORD>(device.size()));
        ::CloseFigure(m_dc);
        ::EndPath(m_dc);
        ::StrokeAndFillPath(m_dc);
    }

    static Point onCircle(Point centre, double radius, double degrees) {
        const double angle = degrees * std::numbers::pi / 180.0;
        return {centre.x + radius * std::cos(angle), centre.y - radius * std::sin(angle)};
    }

private:
    void release() {
        ::SelectObject(m_dc, ::GetStockObject(NULL_PEN));
        ::SelectObject(m_dc, ::GetStockObject(NULL_BRUSH));
        if (m_pen != nullptr) {
            ::DeleteObject(m_pen);
            m_pen = nullptr;
        }
        if (m_brush != nullptr) {
            ::DeleteObject(m_brush);
            m_brush = nullptr;
        }
    }

    HDC m_dc;
    double m_scale;
    HPEN m_pen = nullptr;
    HBRUSH m_brush = nullptr;
};

// A picture built from layers, each drawn with GDI on the key colour at four
// times the size and laid over the layers below with its coverage as alpha.
class Picture {
public:
    explicit Picture(int size) : m_size(size), m_pixels(static_cast<std::size_t>(size * size) * 4, 0.0) {}

    void layer(const std::function<void(Pen&)>& paint, double opacity = 1.0) {
        const int big = m_size * kOversample;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = big;
        info.bmiHeader.biHeight = -big; // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HDC dc = ::CreateCompatibleDC(nullptr);
        HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (dc == nullptr || bitmap == nullptr || bits == nullptr) {
            if (bitmap != nullptr) {
                ::DeleteObject(bitmap);
            }
            if (dc != nullptr) {
                ::DeleteDC(dc);
            }
            return;
        }
        HGDIOBJ previous = ::SelectObject(dc, bitmap);
        const RECT all{0, 0, big, big};
        ::SetBkColor(dc, kKey);
        ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
        {
            Pen pen(dc, big);
            paint(pen);
        }
        ::GdiFlush();
        const auto* source = static_cast<const std::uint8_t*>(bits);
        for (int y = 0; y < m_size; ++y) {
            for (int x = 0; x < m_size; ++x) {
                double covered = 0;
                double blue = 0;
                double green = 0;
                double red = 0;
                for (int sy = 0; sy < kOversample; ++sy) {
                    for (int sx = 0; sx < kOversample; ++sx) {
                        const auto* p = source + (static_cast<std::size_t>(y * kOversample + sy) * big +
                                                  static_cast<std::size_t>(x * kOversample + sx)) *
                                                     4;
                        if (RGB(p[2], p[1], p[0]) == kKey) {
                            continue;
                        }
                        covered += 1;
                        blue += p[0];
                        green += p[1];
                        red += p[2];
                    }
                }
                if (covered == 0) {
                    continue;
                }
                // Premultiplied while composing: source over destination.
                const double alpha = covered / (kOversample * kOversample) * opacity;
                double* d = &m_pixels[static_cast<std::size_t>(y * m_size + x) * 4];
                const double keep = 1.0 - alpha;
                d[0] = blue / covered / 255.0 * alpha + d[0] * keep;
                d[1] = green / covered / 255.0 * alpha + d[1] * keep;
                d[2] = red / covered / 255.0 * alpha + d[2] * keep;
                d[3] = alpha + d[3] * keep;
            }
        }
        ::SelectObject(dc, previous);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
    }

    // An icon with straight alpha, as icons keep it; nullptr when GDI failed.
    HICON icon() const {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = m_size;
        info.bmiHeader.biHeight = -m_size;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP colour = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        // Rows of the 1-bit mask are padded to 16 bits; set bits are transparent.
        const int stride = (m_size + 15) / 16 * 2;
        std::vector<std::uint8_t> maskBits(static_cast<std::size_t>(stride * m_size), 0);
        if (colour == nullptr || bits == nullptr) {
            if (colour != nullptr) {
                ::DeleteObject(colour);
            }
            return nullptr;
        }
        auto* out = static_cast<std::uint8_t*>(bits);
        for (int i = 0; i < m_size * m_size; ++i) {
            const double* p = &m_pixels[static_cast<std::size_t>(i) * 4];
            const double alpha = p[3];
            const auto channel = [alpha](double premultiplied) {
                return static_cast<std::uint8_t>(
                    std::lround(std::clamp(alpha > 0 ? premultiplied / alpha : 0.0, 0.0, 1.0) * 255));
            };
            out[i * 4 + 0] = channel(p[0]);
            out[i * 4 + 1] = channel(p[1]);
            out[i * 4 + 2] = channel(p[2]);
            out[i * 4 + 3] = static_cast<std::uint8_t>(std::lround(std::clamp(alpha, 0.0, 1.0) * 255));
            if (out[i * 4 + 3] == 0) {
                const int x = i % m_size;
                const int y = i / m_size;
                maskBits[static_cast<std::size_t>(y * stride + x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        HBITMAP mask = ::CreateBitmap(m_size, m_size, 1, 1, maskBits.data());
        ICONINFO iconInfo{};
        iconInfo.fIcon = TRUE;
        iconInfo.hbmColor = colour;
        iconInfo.hbmMask = mask;
        HICON result = mask != nullptr ? ::CreateIconIndirect(&iconInfo) : nullptr;
        ::DeleteObject(colour);
        if (mask != nullptr) {
            ::DeleteObject(mask);
        }
        return result;
    }

private:
    int m_size;
    std::vector<double> m_pixels; // premultiplied blue, green, red, alpha
};

// The watched file: a sheet with a folded top-right corner, in the box from
// (left, top) of the given width and height.
void sheet(Pen& p, Point topLeft, double width, double height, COLORREF outline, bool dashed = false) {
    const double fold = width * 0.32;
    const double right = topLeft.x + width;
    const double bottom = topLeft.y + height;
    const double pen = width * 0.09;
    if (dashed) {
        // Dashes along the outline where the file was.
        const Point corners[] = {{topLeft.x, topLeft.y}, {right - fold, topLeft.y}, {right, topLeft.y + fold},
                                 {right, bottom},        {topLeft.x, bottom},       {topLeft.x, topLeft.y}};
        const double dash = pen * 1.6;
        const double gap = pen * 1.2;
        p.use(outline, pen, nullptr, false);
        for (std::size_t i = 0; i + 1 < std::size(corners); ++i) {
            const Point a = corners[i];
            const Point b = corners[i + 1];
            const double length = std::hypot(b.x - a.x, b.y - a.y);
            for (double along = 0; along < length; along += dash + gap) {
                const double end = std::min(along + dash, length);
                p.line({a.x + (b.x - a.x) * along / length, a.y + (b.y - a.y) * along / length},
                       {a.x + (b.x - a.x) * end / length, a.y + (b.y - a.y) * end / length});
            }
        }
    } else {
        p.use(outline, pen, &kPaper);
        p.polygon({{topLeft.x, topLeft.y},
                   {right - fold, topLeft.y},
                   {right, topLeft.y + fold},
                   {right, bottom},
                   {topLeft.x, bottom}});
    }
    p.use(outline, pen, nullptr);
    p.polyline({{right - fold, topLeft.y}, {right - fold, topLeft.y + fold}, {right, topLeft.y + fold}});
}

// A round badge at the lower right, with a white rim so it reads on any panel.
void badge(Pen& p, COLORREF colour, Point centre = {0.70, 0.70}, double radius = 0.29) {
    p.use(kWhite, 0.07, &colour);
    p.ellipse(centre, radius);
}

void eye(Pen& p, Point centre, double width, COLORREF colour) {
    p.use(colour, width * 0.09, &kWhite);
    p.quadLoop({centre.x - width / 2, centre.y},
               {{{centre.x, centre.y - width * 0.55}, {centre.x + width / 2, centre.y}},
                {{centre.x, centre.y + width * 0.55}, {centre.x - width / 2, centre.y}}});
    p.use(colour, 0, &colour);
    p.ellipse(centre, width * 0.17);
}

constexpr Point kCentre{0.5, 0.5};

void smallSheet(Pen& p, COLORREF outline, bool dashed = false) {
    sheet(p, {0.08, 0.04}, 0.62, 0.80, outline, dashed);
}

template <typename Paint>
HICON draw(int size, Paint paint) {
    Picture picture(size);
    paint(picture);
    return picture.icon();
}

} // namespace

Icons::~Icons() {
    for (HICON icon : m_icons) {
        if (icon != nullptr) {
            ::DestroyIcon(icon);
        }
    }
}

Icons& Icons::operator=(Icons&& other) noexcept {
    if (this != &other) {
        Icons old(std::move(*this));
        m_icons = std::move(other.m_icons);
    }
    return *this;
}

Icons stateIcons(int size) {
    std::vector<HICON> icons;
    // Free: a green tick.
    icons.push_back(draw(size, [](Picture& picture) {
        picture.layer([](Pen& p) {
            smallSheet(p, kInk);
            badge(p, kGreen);
            p.use(kWhite, 0.09, nullptr);
            p.polyline({{0.57, 0.71}, {0.67, 0.81}, {0.84, 0.60}});
        });
    }));
    // Open: an amber padlock, the file is held by another program.
    icons.push_back(draw(size, [](Picture& picture) {
        picture.layer([](Pen& p) {
            smallSheet(p, kInk);
            badge(p, kAmber);
            p.use(kWhite, 0.06, nullptr);
            p.upperArc({0.62, 0.52}, {0.78, 0.70});
            p.use(kWhite, 0, &kWhite);
            p.roundRect({0.58, 0.62}, {0.82, 0.79}, 0.03);
        });
    }));
    // Error: a red exclamation mark.
    icons.push_back(draw(size, [](Picture& picture) {
        picture.layer([](Pen& p) {
            smallSheet(p, kInk);
            badge(p, kRed);
            p.use(kWhite, 0.09, nullptr);
            p.line({0.70, 0.56}, {0.70, 0.71});
            p.use(kWhite, 0, &kWhite);
            p.ellipse({0.70, 0.83}, 0.045);
        });
    }));
    // No File: a dashed outline where the file was, and a grey cross.
    icons.push_back(draw(size, [](Picture& picture) {
        picture.layer([](Pen& p) {
            smallSheet(p, kGrey, true);
            badge(p, kGrey);
            p.use(kWhite, 0.08, nullptr);
            p.line({0.61, 0.61}, {0.79, 0.79});
            p.line({0.79, 0.61}, {0.61, 0.79});
        });
    }));
    // Monitoring off: a grey pause sign.
    icons.push_back(draw(size, [](Picture& picture) {
        picture.layer([](Pen& p) {
            smallSheet(p, kGrey);
            badge(p, kGrey);
            p.use(kWhite, 0.075, nullptr);
            p.line({0.65, 0.60}, {0.65, 0.80});
            p.line({0.75, 0.60}, {0.75, 0.80});
        });
    }));
    return Icons(std::move(icons));
}

Icons animationFrames(int size) {
    std::vector<HICON> frames;
    for (int frame = 0; frame < 18; ++frame) {
        frames.push_back(draw(size, [frame](Picture& picture) {
            // A radar sweep around the watched file: one turn in 18 frames.
            picture.layer(
                [](Pen& p) {
                    p.use(kBlue, 0.05, nullptr);
                    p.ellipse(kCentre, 0.44);
                },
                60.0 / 255);
            // The trail behind the sweeping hand fades over a quarter turn.
            const double hand = 90.0 - frame * 20.0;
            constexpr int kSlices = 9;
            for (int slice = 0; slice < kSlices; ++slice) {
                picture.layer(
                    [hand, slice](Pen& p) {
                        p.use(kBlue, 0, &kBlue);
                        p.pie(kCentre, 0.44, hand + slice * 10.0, hand + (slice + 1) * 10.0);
                    },
                    200.0 / 255 * (1.0 - (slice + 0.5) / kSlices));
            }
            picture.layer([hand](Pen& p) {
                sheet(p, {0.33, 0.27}, 0.34, 0.46, kInk);
                p.use(kBlue, 0.05, nullptr);
                p.line(kCentre, Pen::onCircle(kCentre, 0.44, hand));
            });
        }));
    }
    return Icons(std::move(frames));
}

Icons logo(int size) {
    std::vector<HICON> icons;
    icons.push_back(draw(size, [](Picture& picture) {
        picture.layer([](Pen& p) {
            sheet(p, {0.14, 0.06}, 0.62, 0.84, kInk);
            p.use(kRule, 0.035, nullptr);
            for (const double y : {0.30, 0.40, 0.50}) {
                p.line({0.24, y}, {0.56, y});
            }
            badge(p, kBlue, {0.68, 0.70}, 0.27);
            eye(p, {0.68, 0.70}, 0.36, kBlue);
        });
    }));
    return Icons(std::move(icons));
}

Icons windowIcon(int size) {
    std::vector<HICON> icons;
    icons.push_back(draw(size, [](Picture& picture) {
        picture.layer([](Pen& p) {
            sheet(p, {0.12, 0.04}, 0.62, 0.86, kInk);
            badge(p, kBlue, {0.68, 0.70}, 0.30);
            eye(p, {0.68, 0.70}, 0.40, kBlue);
        });
    }));
    return Icons(std::move(icons));
}

} // namespace ui::win32::pictures
