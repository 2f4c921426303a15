#pragma once
// Which copy holds the version each row of the change list recorded, kept
// beside the rows in four bytes a row. A row either leads to a copy (the one
// made for it, or an earlier copy of the same version) or knows why it has
// none: copies were off, there was no file, its copy failed (and why), the
// file changed again before a copy was made, or its copy is still to come.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace logview {

enum class RowCopyState : std::uint8_t {
    CopiesOff,     // "Make Copy on Change" was off when the row was recorded
    NothingToCopy, // the row records a file that is not there
    Copying,       // its copy is waiting or running
    Replaced,      // the file changed again before its copy was made
    Failed,
    Copied,
};

struct RowCopy {
    RowCopyState state = RowCopyState::CopiesOff;
    std::string path;     // Copied: the copy
    std::string failure;  // Failed: why
    bool missing = false; // Copied, but the copy was not found when it was last asked for
};

// The row's tooltip: the copy's name, or why there is none.
std::string rowCopyTip(const RowCopy& copy);

class RowCopies {
public:
    // The newest row when a copy began, and the list it belongs to (a list
    // cleared since is another list).
    struct Newest {
        std::int64_t row = 0;
        std::uint64_t list = 0;
    };

    // Row `row` (counting from 1, as the list does) was recorded in `state`;
    // rows between the known ones and it count as copies off. Throws only
    // when memory runs out; the rows are then as they were.
    void recorded(std::int64_t row, RowCopyState state);
    // Every row and its link goes; the copies stay, and the newest copy is
    // still known as the one an unchanged version leads to.
    void clear() noexcept;

    Newest newest(std::int64_t rowCount) const noexcept { return {rowCount, m_list}; }
    // Copies outside the rows are off.
    RowCopy at(std::int64_t row) const;

    // A copy of the file ended. The rows up to `newest` still waiting for a
    // copy are settled: the newest of them gets this copy (`holdsNewest`:
    // the copy is of the newest row's version; such a row gets it even when
    // it was not waiting, as after a manual copy), the older ones were
    // replaced before a copy was made.
    void copied(Newest newest, bool holdsNewest, const std::string& path);
    // No copy was made because the newest copy holds this version already.
    void copiedBefore(Newest newest, bool holdsNewest);
    void failed(Newest newest, const std::string& reason);
    // What was found when a row's copy was asked for.
    void found(std::int64_t row, bool there);

    std::size_t memoryUsed() const;

private:
    static constexpr std::size_t kBlockRows = 4096;
    using Block = std::array<std::uint32_t, kBlockRows>;
    struct Copy {
        std::string path;
        bool missing = false;
    };

    std::uint32_t code(std::int64_t row) const;
    void setCode(std::int64_t row, std::uint32_t code);
    void settle(Newest newest, std::optional<std::uint32_t> code);
    std::uint32_t failureCode(const std::string& reason);

    std::vector<std::unique_ptr<Block>> m_blocks;
    std::int64_t m_rows = 0;
    // Rows below this one wait for no copy.
    std::int64_t m_firstWaiting = 1;
    std::uint64_t m_list = 0;
    std::vector<Copy> m_copies;
    std::vector<std::string> m_failures;
};

} // namespace logview
