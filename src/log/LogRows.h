#pragma once
// Compact storage for the rows of the change list, for views that draw only
// the rows on screen (a virtual list). A row keeps numbers, not texts: its
// time, state, size in bytes and date modified, and one byte naming the
// formats it was recorded with. Its texts are made again when a view asks for
// them, byte for byte as they were when the row was recorded. A million rows
// cost about 26 bytes each, and the newest row is read as fast as the first.

#include "watch/changeRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace logview {

class LogRows {
public:
    static constexpr int kColumns = kChangeColumnCount;
    // How many different formats the rows tell apart. Past that, the last
    // slot always holds the newest formats: the newest row shows exactly what
    // was compared with it, and only older rows of that slot follow the newer
    // formats.
    static constexpr std::size_t kMaxFormats = 256;

    // Throws only when memory runs out; the rows are then as they were.
    void append(const ChangeRow& row);
    // Removes every row and gives the memory back.
    void clear() noexcept;

    std::int64_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    // Rows count from 0 here; nullopt outside the rows. Its formats are the
    // ones it was recorded with.
    std::optional<ChangeRow> row(std::int64_t index) const;
    // Rows and columns count from 0 (columns in ChangeColumn's order);
    // nullopt outside them. Making the text throws only when memory runs out.
    std::optional<std::string> text(std::int64_t row, int column) const;
    std::optional<std::string> text(std::int64_t row, ChangeColumn column) const {
        return text(row, static_cast<int>(column));
    }
    // The row's state picture (state + 1); 0 outside the rows.
    int icon(std::int64_t row) const;

    // Bytes held, for measurements.
    std::size_t memoryUsed() const;

private:
    // Rows live in blocks of a fixed size, one array per field: growing never
    // copies or over-reserves, and no field pads another.
    static constexpr std::size_t kBlockRows = 4096;
    struct Block {
        std::array<std::int64_t, kBlockRows> sizes;
        std::array<std::uint64_t, kBlockRows> times;
        std::array<std::uint64_t, kBlockRows> modified;
        std::array<std::uint8_t, kBlockRows> formats;
        std::array<std::uint8_t, kBlockRows> flags;
    };

    std::uint8_t formatsIndex(const std::shared_ptr<const TextFormats>& formats);

    std::vector<std::unique_ptr<Block>> m_blocks;
    std::vector<std::shared_ptr<const TextFormats>> m_formats;
    std::int64_t m_size = 0;
};

} // namespace logview
