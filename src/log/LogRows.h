#pragma once
// Compact storage for the rows of the change list, for views that draw only
// the rows on screen (a virtual list). A row's five texts are packed into one
// shared character arena, so a million rows cost their characters plus a few
// bytes each, and the newest row is read as fast as the first.

#include "watch/changeRecord.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace logview {

class LogRows {
public:
    static constexpr int kColumns = kChangeColumnCount;

    void append(const ChangeRow& row);
    void clear();

    std::int64_t size() const { return static_cast<std::int64_t>(m_icons.size()); }
    bool empty() const { return m_icons.empty(); }

    // Rows count from 0 here; nullopt outside the rows or columns. Columns
    // count from 0 in ChangeColumn's order.
    std::optional<std::string_view> text(std::int64_t row, int column) const;
    std::optional<std::string_view> text(std::int64_t row, ChangeColumn column) const {
        return text(row, static_cast<int>(column));
    }
    int icon(std::int64_t row) const;

    // Bytes held, for measurements.
    std::size_t memoryUsed() const;

private:
    // The arena grows in blocks, so it never copies what it holds and never
    // reserves twice what it needs; a row never straddles two blocks.
    struct Block {
        std::unique_ptr<char[]> bytes;
        std::size_t capacity = 0;
        std::size_t used = 0;
    };
    static constexpr std::size_t kBlockSize = 256 * 1024;

    std::string_view rowBytes(std::size_t row) const;

    std::vector<Block> m_blocks;
    // Each row's block (high 32 bits) and offset in it (low 32 bits).
    std::vector<std::uint64_t> m_starts;
    std::vector<std::uint8_t> m_icons;
};

} // namespace logview
