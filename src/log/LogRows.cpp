#include "log/LogRows.h"

namespace logview {

namespace {

// A date and time in 64 bits: the year in the high half, the rest below it.
// The clock and the file system give calendar values, which all fit.
constexpr std::uint64_t packTime(const platform::LocalDateTime& t) {
    const auto field = [](int value, int bits) {
        return static_cast<std::uint64_t>(static_cast<unsigned>(value) & ((1U << bits) - 1));
    };
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(t.year)) << 32) | field(t.month, 4) << 22 |
           field(t.day, 5) << 17 | field(t.hour, 5) << 12 | field(t.minute, 6) << 6 | field(t.second, 6);
}

constexpr platform::LocalDateTime unpackTime(std::uint64_t packed) {
    const auto field = [packed](int shift, int bits) {
        return static_cast<int>((packed >> shift) & ((std::uint64_t{1} << bits) - 1));
    };
    return {static_cast<std::int32_t>(static_cast<std::uint32_t>(packed >> 32)),
            field(22, 4),
            field(17, 5),
            field(12, 5),
            field(6, 6),
            field(0, 6)};
}

// The flags byte: the state in the low two bits, then whether the size and
// the date modified could be read.
constexpr std::uint8_t kStateBits = 0x3;
constexpr std::uint8_t kHasSize = 0x4;
constexpr std::uint8_t kHasDate = 0x8;

} // namespace

std::uint8_t LogRows::formatsIndex(const std::shared_ptr<const TextFormats>& formats) {
    // Formats change rarely, so a row almost always has the newest ones.
    for (std::size_t slot = m_formats.size(); slot-- > 0;) {
        const auto& known = m_formats[slot];
        if (known == formats || (known && formats && known->sameAs(*formats))) {
            return static_cast<std::uint8_t>(slot);
        }
    }
    if (m_formats.size() < kMaxFormats) {
        m_formats.push_back(formats);
    } else {
        m_formats.back() = formats;
    }
    return static_cast<std::uint8_t>(m_formats.size() - 1);
}

void LogRows::append(const ChangeRow& row) {
    const auto index = static_cast<std::size_t>(m_size);
    if (index / kBlockRows >= m_blocks.size()) {
        m_blocks.push_back(std::make_unique_for_overwrite<Block>());
    }
    const std::uint8_t formats = formatsIndex(row.formats);
    Block& block = *m_blocks[index / kBlockRows];
    const std::size_t at = index % kBlockRows;
    block.sizes[at] = row.values.sizeInBytes.value_or(0);
    block.times[at] = packTime(row.time);
    block.modified[at] = row.values.dateModified ? packTime(*row.values.dateModified) : 0;
    block.formats[at] = formats;
    block.flags[at] =
        static_cast<std::uint8_t>((static_cast<unsigned>(row.state) & kStateBits) |
                                  (row.values.sizeInBytes ? kHasSize : 0) | (row.values.dateModified ? kHasDate : 0));
    ++m_size;
}

void LogRows::clear() noexcept {
    // Swapping with empty vectors gives their memory back, not just their rows.
    std::vector<std::unique_ptr<Block>>().swap(m_blocks);
    std::vector<std::shared_ptr<const TextFormats>>().swap(m_formats);
    m_size = 0;
}

std::optional<ChangeRow> LogRows::row(std::int64_t index) const {
    if (index < 0 || index >= m_size) {
        return std::nullopt;
    }
    const Block& block = *m_blocks[static_cast<std::size_t>(index) / kBlockRows];
    const std::size_t at = static_cast<std::size_t>(index) % kBlockRows;
    const std::uint8_t flags = block.flags[at];
    ChangeRow result;
    result.time = unpackTime(block.times[at]);
    result.state = static_cast<modSentrel::FileState>(flags & kStateBits);
    if ((flags & kHasSize) != 0) {
        result.values.sizeInBytes = block.sizes[at];
    }
    if ((flags & kHasDate) != 0) {
        result.values.dateModified = unpackTime(block.modified[at]);
    }
    result.formats = m_formats[block.formats[at]];
    return result;
}

std::optional<std::string> LogRows::text(std::int64_t row, int column) const {
    if (column < 0 || column >= kColumns) {
        return std::nullopt;
    }
    const auto shown = this->row(row);
    return shown ? std::optional<std::string>(columnText(*shown, static_cast<ChangeColumn>(column))) : std::nullopt;
}

int LogRows::icon(std::int64_t row) const {
    if (row < 0 || row >= m_size) {
        return 0;
    }
    const auto index = static_cast<std::size_t>(row);
    return (m_blocks[index / kBlockRows]->flags[index % kBlockRows] & kStateBits) + 1;
}

std::size_t LogRows::memoryUsed() const {
    return sizeof(*this) + m_blocks.size() * sizeof(Block) + m_blocks.capacity() * sizeof(std::unique_ptr<Block>) +
           m_formats.capacity() * sizeof(std::shared_ptr<const TextFormats>);
}

} // namespace logview
