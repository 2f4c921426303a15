#include "support/largeFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace testsupport {

namespace {

constexpr std::int64_t kBlock = 1 << 20;

std::filesystem::path native(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

void fill(std::vector<char>& block, std::int64_t offset, unsigned seed) {
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = patternByte(offset + static_cast<std::int64_t>(i), seed);
    }
}

} // namespace

char patternByte(std::int64_t offset, unsigned seed) {
    return static_cast<char>((offset * 7 + offset / 1000 + offset / 65536 + seed * 31) & 0xff);
}

bool writePatternFile(const std::string& path, std::int64_t size, unsigned seed) {
    std::ofstream out(native(path), std::ios::binary | std::ios::trunc);
    std::vector<char> block;
    for (std::int64_t done = 0; out && done < size; done += static_cast<std::int64_t>(block.size())) {
        block.resize(static_cast<std::size_t>(std::min(kBlock, size - done)));
        fill(block, done, seed);
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    out.close();
    return static_cast<bool>(out);
}

bool holdsPattern(const std::string& path, std::int64_t size, unsigned seed) {
    std::error_code error;
    if (std::filesystem::file_size(native(path), error) != static_cast<std::uintmax_t>(size) || error) {
        return false;
    }
    std::ifstream in(native(path), std::ios::binary);
    std::vector<char> expected;
    std::vector<char> got;
    for (std::int64_t done = 0; done < size; done += static_cast<std::int64_t>(expected.size())) {
        expected.resize(static_cast<std::size_t>(std::min(kBlock, size - done)));
        got.resize(expected.size());
        fill(expected, done, seed);
        if (!in.read(got.data(), static_cast<std::streamsize>(got.size())) || got != expected) {
            return false;
        }
    }
    return true;
}

} // namespace testsupport
