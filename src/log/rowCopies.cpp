#include "log/rowCopies.h"

#include "common/modKorvel.h"

#include <algorithm>

namespace logview {

namespace {

// A row's four bytes: one of the first four states, a failure's reason from
// kFailureBase on, or a copy from kCopyBase on.
constexpr std::uint32_t kCopyBase = 4;
constexpr std::uint32_t kFailureBase = 0x80000000U;

constexpr std::uint32_t stateCode(RowCopyState state) {
    return static_cast<std::uint32_t>(state);
}

} // namespace

std::string rowCopyTip(const RowCopy& copy) {
    switch (copy.state) {
    case RowCopyState::CopiesOff:
        return "No copy: Make Copy on Change was off";
    case RowCopyState::NothingToCopy:
        return "No copy: there was no file to copy";
    case RowCopyState::Copying:
        return "Still copying";
    case RowCopyState::Replaced:
        return "No copy: the file changed again before it could be copied";
    case RowCopyState::Failed:
        return "No copy: " + copy.failure;
    case RowCopyState::Copied:
        break;
    }
    const std::string name = modKorvel::GetFileName(copy.path, false);
    return copy.missing ? "Copy deleted or moved: " + name : "Copy: " + name;
}

void RowCopies::recorded(std::int64_t row, RowCopyState state) {
    if (row < 1) {
        return;
    }
    const auto blocksNeeded = static_cast<std::size_t>((row - 1) / static_cast<std::int64_t>(kBlockRows) + 1);
    while (m_blocks.size() < blocksNeeded) {
        m_blocks.push_back(std::make_unique<Block>()); // zero: copies off
    }
    m_rows = std::max(m_rows, row);
    setCode(row, stateCode(state));
}

void RowCopies::clear() noexcept {
    std::vector<std::unique_ptr<Block>>().swap(m_blocks);
    m_rows = 0;
    m_firstWaiting = 1;
    ++m_list;
    if (m_copies.size() > 1) {
        Copy newest = std::move(m_copies.back());
        m_copies.clear();
        m_copies.push_back(std::move(newest));
        m_copies.shrink_to_fit();
    }
}

std::uint32_t RowCopies::code(std::int64_t row) const {
    if (row < 1 || row > m_rows) {
        return stateCode(RowCopyState::CopiesOff);
    }
    const auto index = static_cast<std::size_t>(row - 1);
    return (*m_blocks[index / kBlockRows])[index % kBlockRows];
}

void RowCopies::setCode(std::int64_t row, std::uint32_t code) {
    const auto index = static_cast<std::size_t>(row - 1);
    (*m_blocks[index / kBlockRows])[index % kBlockRows] = code;
}

RowCopy RowCopies::at(std::int64_t row) const {
    const std::uint32_t c = code(row);
    RowCopy copy;
    if (c >= kFailureBase) {
        copy.state = RowCopyState::Failed;
        copy.failure = m_failures[c - kFailureBase];
    } else if (c >= kCopyBase) {
        copy.state = RowCopyState::Copied;
        copy.path = m_copies[c - kCopyBase].path;
        copy.missing = m_copies[c - kCopyBase].missing;
    } else {
        copy.state = static_cast<RowCopyState>(c);
    }
    return copy;
}

void RowCopies::settle(Newest newest, std::optional<std::uint32_t> newestCode) {
    if (newest.list != m_list || newest.row > m_rows) {
        return; // those rows were cleared
    }
    constexpr std::uint32_t waiting = stateCode(RowCopyState::Copying);
    for (std::int64_t row = m_firstWaiting; row < newest.row; ++row) {
        if (code(row) == waiting) {
            setCode(row, stateCode(RowCopyState::Replaced));
        }
    }
    if (newest.row >= 1 && newestCode) {
        setCode(newest.row, *newestCode);
    } else if (newest.row >= 1 && code(newest.row) == waiting) {
        setCode(newest.row, stateCode(RowCopyState::Replaced));
    }
    m_firstWaiting = std::max(m_firstWaiting, newest.row + 1);
}

void RowCopies::copied(Newest newest, bool holdsNewest, const std::string& path) {
    m_copies.push_back({path, false});
    copiedBefore(newest, holdsNewest);
}

void RowCopies::copiedBefore(Newest newest, bool holdsNewest) {
    if (m_copies.empty() || !holdsNewest) {
        settle(newest, std::nullopt);
        return;
    }
    settle(newest, kCopyBase + static_cast<std::uint32_t>(m_copies.size() - 1));
}

void RowCopies::failed(Newest newest, const std::string& reason) {
    // A failure settles only a row that waited for this copy.
    const bool waited = newest.list == m_list && code(newest.row) == stateCode(RowCopyState::Copying);
    settle(newest, waited ? std::optional(failureCode(reason)) : std::nullopt);
}

std::uint32_t RowCopies::failureCode(const std::string& reason) {
    // Failures repeat a few reasons (a full disk, a missing folder): each is kept once.
    for (std::size_t i = m_failures.size(); i-- > 0;) {
        if (m_failures[i] == reason) {
            return kFailureBase + static_cast<std::uint32_t>(i);
        }
    }
    m_failures.push_back(reason);
    return kFailureBase + static_cast<std::uint32_t>(m_failures.size() - 1);
}

void RowCopies::found(std::int64_t row, bool there) {
    const std::uint32_t c = code(row);
    if (c >= kCopyBase && c < kFailureBase) {
        m_copies[c - kCopyBase].missing = !there;
    }
}

std::size_t RowCopies::memoryUsed() const {
    std::size_t bytes = m_blocks.capacity() * sizeof(std::unique_ptr<Block>) + m_blocks.size() * sizeof(Block);
    for (const Copy& copy : m_copies) {
        bytes += sizeof(Copy) + copy.path.capacity();
    }
    return bytes;
}

} // namespace logview
