// Draws the program's icon - a page with a folded corner and an eye watching
// it - and writes it as a Windows .ico with 48, 32, 24 and 16 pixel images at
// 32 bits (alpha) and 8 bits (palette and mask) per pixel. Optionally writes
// one size as a PNG to look at. Needs nothing beyond the standard library.
//
//   g++ -std=c++20 -O2 -o /tmp/makeIcon tools/makeIcon.cpp
//   /tmp/makeIcon src/ui/win32/sentrel.ico [preview.png size]   (the preview is enlarged)

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

struct Point {
    double x;
    double y;
};

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0; // premultiplied
};

struct Colour {
    std::uint8_t r, g, b;
};

constexpr Colour kOutline{0x26, 0x34, 0x45};
constexpr Colour kPage{0xFF, 0xFF, 0xFF};
constexpr Colour kFold{0xC9, 0xD6, 0xE4};
constexpr Colour kLines{0x9A, 0xA9, 0xBA};
constexpr Colour kBadge{0x15, 0x65, 0xC0};
constexpr Colour kIris{0x0D, 0x3B, 0x8C};
constexpr Colour kPupil{0x08, 0x14, 0x24};
constexpr Colour kWhite{0xFF, 0xFF, 0xFF};

double length(Point p) {
    return std::hypot(p.x, p.y);
}

double segmentDistance(Point p, Point a, Point b) {
    const Point ab{b.x - a.x, b.y - a.y};
    const Point ap{p.x - a.x, p.y - a.y};
    const double t = std::clamp((ap.x * ab.x + ap.y * ab.y) / (ab.x * ab.x + ab.y * ab.y), 0.0, 1.0);
    return length({ap.x - t * ab.x, ap.y - t * ab.y});
}

// Signed distance to a simple polygon: negative inside.
double polygonDistance(Point p, const std::vector<Point>& poly) {
    double distance = 1e9;
    bool inside = false;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        distance = std::min(distance, segmentDistance(p, poly[j], poly[i]));
        if ((poly[i].y > p.y) != (poly[j].y > p.y) &&
            p.x < (poly[j].x - poly[i].x) * (p.y - poly[i].y) / (poly[j].y - poly[i].y) + poly[i].x) {
            inside = !inside;
        }
    }
    return inside ? -distance : distance;
}

double circleDistance(Point p, Point centre, double radius) {
    return length({p.x - centre.x, p.y - centre.y}) - radius;
}

// An almond: the intersection of two circles, `halfWidth` by `halfHeight`.
double lensDistance(Point p, Point centre, double halfWidth, double halfHeight) {
    const double radius = (halfWidth * halfWidth + halfHeight * halfHeight) / (2 * halfHeight);
    const double offset = radius - halfHeight;
    return std::max(circleDistance(p, {centre.x, centre.y - offset}, radius),
                    circleDistance(p, {centre.x, centre.y + offset}, radius));
}

void over(Rgba& target, Colour colour, double alpha = 1.0) {
    target.r = colour.r / 255.0 * alpha + target.r * (1 - alpha);
    target.g = colour.g / 255.0 * alpha + target.g * (1 - alpha);
    target.b = colour.b / 255.0 * alpha + target.b * (1 - alpha);
    target.a = alpha + target.a * (1 - alpha);
}

// The picture at one point of a 48-unit square; `px` is one pixel in units,
// so strokes stay at least a pixel wide at the small sizes.
Rgba shade(Point p, double px, int size) {
    Rgba out;
    const double stroke = std::max(2.0, 1.0 * px);
    const bool small = size <= 16;

    // At 16 pixels the edges sit on whole pixels (3 units), so the outline is
    // one crisp pixel rather than two grey ones.
    const double left = small ? 6 : 7, top = small ? 0 : 1.5, right = small ? 39 : 40, bottom = small ? 48 : 46.5;
    const double fold = small ? 30 : 29;
    const std::vector<Point> page{
        {left, top}, {fold, top}, {right, top + right - fold}, {right, bottom}, {left, bottom}};
    const double pageDistance = polygonDistance(p, page) - (small ? 0 : 0.5);
    if (pageDistance <= 0) {
        over(out, kOutline);
    }
    if (pageDistance <= -stroke) {
        over(out, kPage);
    }
    const Point foldTop{fold, top}, foldCorner{fold, top + right - fold}, foldEnd{right, top + right - fold};
    if (polygonDistance(p, {foldTop, foldCorner, foldEnd}) <= 0 && pageDistance <= 0) {
        over(out, kFold);
    }
    const double foldStroke = small ? stroke : stroke / 2;
    if (pageDistance <= 0 && (segmentDistance(p, foldTop, foldCorner) <= foldStroke ||
                              segmentDistance(p, foldCorner, foldEnd) <= foldStroke)) {
        over(out, kOutline);
    }
    if (!small) {
        const double lineWidth = std::max(2.6, 1.0 * px) / 2;
        for (const auto& [y, end] : {std::pair{18.0, 33.0}, {24.0, 33.0}, {30.0, 20.0}}) {
            if (segmentDistance(p, {13, y}, {end, y}) <= lineWidth) {
                over(out, kLines);
            }
        }
    }

    // The eye on a round badge, ringed in white so it stands off the page.
    const Point centre = small ? Point{31.5, 31.5} : Point{32, 34};
    const double radius = small ? 15 : 13.5;
    const double ring = small ? 3.0 : 2.5;
    if (circleDistance(p, centre, radius + ring) <= 0) {
        over(out, kWhite);
    }
    if (circleDistance(p, centre, radius) <= 0) {
        over(out, kBadge);
    }
    const double halfWidth = radius * 0.72;
    const double halfHeight = radius * 0.44;
    const double eye = lensDistance(p, centre, halfWidth, halfHeight);
    if (eye <= 0) {
        over(out, kWhite);
    }
    const double irisRadius = halfHeight * (small ? 0.95 : 0.85);
    if (eye <= 0 && circleDistance(p, centre, irisRadius) <= 0) {
        over(out, kIris);
    }
    if (circleDistance(p, centre, irisRadius * 0.45) <= 0) {
        over(out, kPupil);
    }
    if (size >= 32 && circleDistance(p, {centre.x + irisRadius * 0.35, centre.y - irisRadius * 0.35}, 1.1) <= 0) {
        over(out, kWhite);
    }
    return out;
}

struct Image {
    int size = 0;
    std::vector<std::array<std::uint8_t, 4>> pixels; // straight RGBA, top row first
};

// 8 by 8 samples per pixel for the edges.
Image render(int size) {
    constexpr int kSamples = 8;
    Image image{size, {}};
    const double px = 48.0 / size;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Rgba sum;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Point p{(x + (sx + 0.5) / kSamples) * px, (y + (sy + 0.5) / kSamples) * px};
                    const Rgba c = shade(p, px, size);
                    sum.r += c.r;
                    sum.g += c.g;
                    sum.b += c.b;
                    sum.a += c.a;
                }
            }
            const double n = kSamples * kSamples;
            const double alpha = sum.a / n;
            const auto channel = [&](double premultiplied) {
                return static_cast<std::uint8_t>(
                    std::lround(alpha > 0 ? std::clamp(premultiplied / n / alpha, 0.0, 1.0) * 255 : 0));
            };
            image.pixels.push_back(
                {channel(sum.r), channel(sum.g), channel(sum.b), static_cast<std::uint8_t>(std::lround(alpha * 255))});
        }
    }
    return image;
}

void put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}
void put32(std::string& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// The AND mask: a bit per pixel, set where the picture is transparent, rows
// bottom-up and padded to 32 bits.
std::string andMask(const Image& image) {
    std::string out;
    const int rowBytes = ((image.size + 31) / 32) * 4;
    for (int y = image.size - 1; y >= 0; --y) {
        std::string row(static_cast<std::size_t>(rowBytes), '\0');
        for (int x = 0; x < image.size; ++x) {
            if (image.pixels[static_cast<std::size_t>(y * image.size + x)][3] < 128) {
                row[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
            }
        }
        out += row;
    }
    return out;
}

std::string bitmapHeader(int size, int bitCount, std::uint32_t imageBytes, std::uint32_t coloursUsed) {
    std::string out;
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(size));
    put32(out, static_cast<std::uint32_t>(2 * size)); // colour bitmap and mask
    put16(out, 1);
    put16(out, static_cast<unsigned>(bitCount));
    put32(out, 0);
    put32(out, imageBytes);
    put32(out, 0);
    put32(out, 0);
    put32(out, coloursUsed);
    put32(out, 0);
    return out;
}

std::string dib32(const Image& image) {
    std::string pixels;
    for (int y = image.size - 1; y >= 0; --y) {
        for (int x = 0; x < image.size; ++x) {
            const auto& p = image.pixels[static_cast<std::size_t>(y * image.size + x)];
            pixels += static_cast<char>(p[2]);
            pixels += static_cast<char>(p[1]);
            pixels += static_cast<char>(p[0]);
            pixels += static_cast<char>(p[3]);
        }
    }
    const std::string mask = andMask(image);
    return bitmapHeader(image.size, 32, static_cast<std::uint32_t>(pixels.size() + mask.size()), 0) + pixels + mask;
}

// 8 bits: the 256 most frequent colours of the opaque pixels (4 bits per
// channel buckets, averaged), each pixel mapped to the nearest of them.
std::string dib8(const Image& image) {
    std::map<int, std::array<long, 4>> buckets; // sum r, g, b, count
    for (const auto& p : image.pixels) {
        if (p[3] >= 128) {
            auto& bucket = buckets[(p[0] >> 4) << 8 | (p[1] >> 4) << 4 | (p[2] >> 4)];
            bucket[0] += p[0];
            bucket[1] += p[1];
            bucket[2] += p[2];
            ++bucket[3];
        }
    }
    std::vector<std::array<long, 4>> ranked;
    for (const auto& [key, bucket] : buckets) {
        ranked.push_back(bucket);
    }
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a[3] > b[3]; });
    ranked.resize(std::min<std::size_t>(ranked.size(), 256));
    std::vector<Colour> palette;
    for (const auto& bucket : ranked) {
        palette.push_back({static_cast<std::uint8_t>(bucket[0] / bucket[3]),
                           static_cast<std::uint8_t>(bucket[1] / bucket[3]),
                           static_cast<std::uint8_t>(bucket[2] / bucket[3])});
    }
    palette.resize(256, Colour{0, 0, 0});

    const auto nearest = [&](const std::array<std::uint8_t, 4>& p) {
        std::size_t best = 0;
        long bestDistance = 1L << 30;
        for (std::size_t i = 0; i < ranked.size(); ++i) {
            const long dr = p[0] - palette[i].r, dg = p[1] - palette[i].g, db = p[2] - palette[i].b;
            const long distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = i;
            }
        }
        return static_cast<char>(best);
    };

    std::string colours;
    for (const Colour& c : palette) {
        colours += static_cast<char>(c.b);
        colours += static_cast<char>(c.g);
        colours += static_cast<char>(c.r);
        colours += '\0';
    }
    std::string pixels;
    const int rowBytes = ((image.size + 3) / 4) * 4;
    for (int y = image.size - 1; y >= 0; --y) {
        std::string row(static_cast<std::size_t>(rowBytes), '\0');
        for (int x = 0; x < image.size; ++x) {
            const auto& p = image.pixels[static_cast<std::size_t>(y * image.size + x)];
            row[static_cast<std::size_t>(x)] = p[3] >= 128 ? nearest(p) : '\0';
        }
        pixels += row;
    }
    const std::string mask = andMask(image);
    return bitmapHeader(image.size, 8, static_cast<std::uint32_t>(pixels.size() + mask.size()), 256) + colours +
           pixels + mask;
}

std::string icoFile(const std::vector<Image>& images) {
    std::vector<std::pair<int, std::string>> entries; // bit count, image data
    for (const int bits : {32, 8}) {
        for (const Image& image : images) {
            entries.emplace_back(bits, bits == 32 ? dib32(image) : dib8(image));
        }
    }
    std::string out;
    put16(out, 0);
    put16(out, 1); // icon
    put16(out, static_cast<unsigned>(entries.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int size = images[i % images.size()].size;
        out += static_cast<char>(size);
        out += static_cast<char>(size);
        out += '\0'; // colour count: 0 for 256 colours and more
        out += '\0';
        put16(out, 1);
        put16(out, static_cast<unsigned>(entries[i].first));
        put32(out, static_cast<std::uint32_t>(entries[i].second.size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(entries[i].second.size());
    }
    for (const auto& entry : entries) {
        out += entry.second;
    }
    return out;
}

std::uint32_t crc32(const std::string& data) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (const char c : data) {
        crc ^= static_cast<std::uint8_t>(c);
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
        }
    }
    return ~crc;
}

void putBig32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

// A PNG with stored (uncompressed) deflate blocks: enough for a preview.
std::string pngFile(const Image& image) {
    std::string raw;
    for (int y = 0; y < image.size; ++y) {
        raw += '\0';
        for (int x = 0; x < image.size; ++x) {
            for (const std::uint8_t channel : image.pixels[static_cast<std::size_t>(y * image.size + x)]) {
                raw += static_cast<char>(channel);
            }
        }
    }
    std::string zlib{"\x78\x01", 2};
    for (std::size_t pos = 0; pos < raw.size(); pos += 65535) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - pos);
        zlib += static_cast<char>(pos + n == raw.size() ? 1 : 0);
        put16(zlib, static_cast<unsigned>(n));
        put16(zlib, static_cast<unsigned>(~n & 0xFFFF));
        zlib += raw.substr(pos, n);
    }
    std::uint32_t a = 1, b = 0;
    for (const char c : raw) {
        a = (a + static_cast<std::uint8_t>(c)) % 65521;
        b = (b + a) % 65521;
    }
    putBig32(zlib, b << 16 | a);

    const auto chunk = [](const std::string& type, const std::string& data) {
        std::string out;
        putBig32(out, static_cast<std::uint32_t>(data.size()));
        out += type + data;
        putBig32(out, crc32(type + data));
        return out;
    };
    std::string header;
    putBig32(header, static_cast<std::uint32_t>(image.size));
    putBig32(header, static_cast<std::uint32_t>(image.size));
    header += std::string{"\x08\x06\x00\x00\x00", 5};
    return std::string{"\x89PNG\r\n\x1a\n", 8} + chunk("IHDR", header) + chunk("IDAT", zlib) +
           chunk("IEND", std::string());
}

// Each pixel as a square block, to judge the small sizes by eye.
Image enlarged(const Image& image, int atLeast) {
    const int factor = std::max(1, atLeast / image.size);
    Image out{image.size * factor, {}};
    for (int y = 0; y < out.size; ++y) {
        for (int x = 0; x < out.size; ++x) {
            out.pixels.push_back(image.pixels[static_cast<std::size_t>((y / factor) * image.size + x / factor)]);
        }
    }
    return out;
}

bool writeFile(const std::string& path, const std::string& data) {
    std::ofstream file(path, std::ios::binary);
    file.write(data.data(), static_cast<std::streamsize>(data.size()));
    return static_cast<bool>(file);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: makeIcon out.ico [preview.png size]\n");
        return 2;
    }
    std::vector<Image> images;
    for (const int size : {48, 32, 24, 16}) {
        images.push_back(render(size));
    }
    if (!writeFile(argv[1], icoFile(images))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    if (argc == 4 && !writeFile(argv[2], pngFile(enlarged(render(std::stoi(argv[3])), 256)))) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
