// Writes the program's icon (view/artwork.h) as a Windows .ico with 48, 32,
// 24 and 16 pixel images at 32 bits (alpha) and 8 bits (palette and mask) per
// pixel. Optionally writes one size as a PNG to look at. Needs nothing beyond
// the standard library and the renderer; the Linux build makes it as
// sentrel_make_icon.
//
//   build/dist/linux/sentrel_make_icon src/ui/win32/sentrel.ico [preview.png size]   (the preview is enlarged)

#include "view/artwork.h"

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

using view::artwork::Image;

// The pixel's red, green, blue and alpha (straight).
const std::uint8_t* pixel(const Image& image, int x, int y) {
    return &image.rgba[(static_cast<std::size_t>(y) * image.size + x) * 4];
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
            if (pixel(image, x, y)[3] < 128) {
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
            const std::uint8_t* p = pixel(image, x, y);
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
    struct Colour {
        std::uint8_t r, g, b;
    };
    std::map<int, std::array<long, 4>> buckets; // sum r, g, b, count
    for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
        const std::uint8_t* p = &image.rgba[i];
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

    const auto nearest = [&](const std::uint8_t* p) {
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
            const std::uint8_t* p = pixel(image, x, y);
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
            raw.append(reinterpret_cast<const char*>(pixel(image, x, y)), 4);
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
            const std::uint8_t* p = pixel(image, x / factor, y / factor);
            out.rgba.insert(out.rgba.end(), p, p + 4);
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
        images.push_back(view::artwork::applicationIcon(size));
    }
    if (!writeFile(argv[1], icoFile(images))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    if (argc == 4 && !writeFile(argv[2], pngFile(enlarged(view::artwork::applicationIcon(std::stoi(argv[3])), 256)))) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
