#include "log/LogRows.h"

#include <algorithm>

namespace logview {

namespace {
// Separates the texts of one row in the arena; it cannot occur in a path,
// a date or a number the list shows.
constexpr char kUnitSeparator = '\x1f';
} // namespace

void LogRows::append(const ChangeRow& row) {
    std::string_view texts[kColumns];
    for (int column = 0; column < kColumns; ++column) {
        texts[column] = columnText(row, static_cast<ChangeColumn>(column));
    }
    std::size_t length = kColumns - 1;
    for (const auto text : texts) {
        length += text.size();
    }
    if (m_blocks.empty() || m_blocks.back().capacity - m_blocks.back().used < length) {
        const std::size_t capacity = std::max(kBlockSize, length);
        m_blocks.push_back(Block{std::make_unique<char[]>(capacity), capacity, 0});
    }
    Block& block = m_blocks.back();
    m_starts.push_back((static_cast<std::uint64_t>(m_blocks.size() - 1) << 32) | block.used);
    char* out = block.bytes.get() + block.used;
    for (int column = 0; column < kColumns; ++column) {
        if (column > 0) {
            *out++ = kUnitSeparator;
        }
        // A separator inside a text would shift the columns after it.
        out = std::replace_copy(texts[column].begin(), texts[column].end(), out, kUnitSeparator, ' ');
    }
    block.used += length;
    m_icons.push_back(static_cast<std::uint8_t>(row.icon < 0 || row.icon > 255 ? 0 : row.icon));
}

void LogRows::clear() {
    // Swapping with empty vectors gives their memory back, not just their rows.
    std::vector<Block>().swap(m_blocks);
    std::vector<std::uint64_t>().swap(m_starts);
    std::vector<std::uint8_t>().swap(m_icons);
}

std::string_view LogRows::rowBytes(std::size_t row) const {
    const std::size_t block = static_cast<std::size_t>(m_starts[row] >> 32);
    const std::size_t begin = static_cast<std::size_t>(m_starts[row] & 0xffffffffu);
    std::size_t end = m_blocks[block].used;
    if (row + 1 < m_starts.size() && (m_starts[row + 1] >> 32) == block) {
        end = static_cast<std::size_t>(m_starts[row + 1] & 0xffffffffu);
    }
    return {m_blocks[block].bytes.get() + begin, end - begin};
}

std::optional<std::string_view> LogRows::text(std::int64_t row, int column) const {
    if (row < 0 || row >= size() || column < 0 || column >= kColumns) {
        return std::nullopt;
    }
    std::string_view rest = rowBytes(static_cast<std::size_t>(row));
    for (int skip = 0; skip < column; ++skip) {
        rest.remove_prefix(rest.find(kUnitSeparator) + 1);
    }
    return rest.substr(0, rest.find(kUnitSeparator));
}

int LogRows::icon(std::int64_t row) const {
    return row < 0 || row >= size() ? 0 : m_icons[static_cast<std::size_t>(row)];
}

std::size_t LogRows::memoryUsed() const {
    std::size_t bytes =
        m_starts.capacity() * sizeof(std::uint64_t) + m_icons.capacity() + m_blocks.capacity() * sizeof(Block);
    for (const auto& block : m_blocks) {
        bytes += block.capacity;
    }
    return bytes;
}

} // namespace logview
