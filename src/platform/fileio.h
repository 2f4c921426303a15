#pragma once
// Raw file I/O for the copier and the change log writer. A File owns one OS
// handle; every operation reports failure as the error the user would be
// shown (through rtErrorFromOs), never by throwing.

#include "platform/rtError.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

// Empty on success, otherwise what went wrong.
using IoError = std::optional<RtError>;

// Names one file independently of its path (device and inode, or volume and
// file index), so a caller can tell whether a path still names the file it created.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The bytes of a file from `begin` up to, not including, `end`.
struct ByteRange {
    std::int64_t begin = 0;
    std::int64_t end = 0;
};

// Whether two looks at one name saw two different files. Some file systems
// (CIFS without server inode numbers, many FUSE file systems) hand out a new
// identity whenever their caches let go of a file, so a new identity counts
// only together with a new status-change time, which putting another file in
// place (a rename over the name) always sets. A value either look lacks, and
// an identity the file system does not give (a zero index), say nothing.
inline bool anotherFile(const std::optional<FileIdentity>& before, std::optional<std::int64_t> changedBefore,
                        const std::optional<FileIdentity>& after, std::optional<std::int64_t> changedAfter) {
    const auto given = [](const std::optional<FileIdentity>& identity) { return identity && identity->index != 0; };
    return given(before) && given(after) && *before != *after && changedBefore && changedAfter &&
           *changedBefore != *changedAfter;
}

class File {
public:
    File() = default;
    ~File() { discard(); }
    File(File&& other) noexcept
        : m_native(std::exchange(other.m_native, kClosed)), m_ownRead(std::exchange(other.m_ownRead, false)) {}
    File& operator=(File&& other) noexcept {
        if (this != &other) {
            discard();
            m_native = std::exchange(other.m_native, kClosed);
            m_ownRead = std::exchange(other.m_ownRead, false);
        }
        return *this;
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens an existing file for reading. Other programs may go on reading,
    // writing, renaming and deleting it meanwhile (on Windows: all three
    // sharing flags), so that the program writing a watched file is never
    // stopped by our read.
    IoError openForRead(const std::string& path);
    // Creates the file, or empties an existing one, for writing.
    IoError createForWrite(const std::string& path);
    // Opens an existing file for writing, leaving its contents as they are.
    IoError openForWrite(const std::string& path);
    // Opens for writing with the position at the end, creating the file when missing.
    IoError openForAppend(const std::string& path);
    // Creates a file that must not exist yet, for writing. Where files carry
    // permission bits (POSIX) it gets none that the open file `permissionsOf`
    // lacks, so that a copy of a private file is as private as the file; on
    // Windows it takes its folder's inherited access rules.
    IoError createNew(const std::string& path, const File& permissionsOf);

    bool isOpen() const { return m_native != kClosed; }

    // The file's current length, as the OS knows it now.
    IoError length(std::int64_t& bytes) const;
    // The disk space the file's data takes now: holes take none.
    IoError spaceTaken(std::int64_t& bytes) const;
    // Moves the position to `offset` bytes from the start.
    IoError seek(std::int64_t offset);
    // Reads up to `size` bytes at the position; `got` is less only at the end of the file.
    IoError read(char* buffer, std::int64_t size, std::int64_t& got);
    // Writes all `size` bytes at the position, or fails.
    IoError write(const char* bytes, std::int64_t size);
    // Cuts or extends the file to `bytes`.
    IoError resize(std::int64_t bytes);
    // Returns once everything written so far is on the disk, not just in the OS's cache.
    IoError flush();
    // Starts putting what was written so far on the disk without waiting for
    // it, so that the flush() at the end of a long run of writes has little
    // left to wait for. Does nothing where the OS has no such call.
    void startFlush() noexcept;
    // Makes this file, open for writing and empty, share every block of
    // `source` where the file system shares blocks between files (a clone:
    // taken at once, costing no space). False where it cannot; this file is
    // then as it was.
    bool cloneFrom(const File& source) noexcept;
    // Makes the bytes of this file from `offset` on, `offset` being where it
    // ends, share the blocks of `source` at the same offsets, where the file
    // system shares blocks between files: at most `most` bytes, none at or
    // past `end`. `next` is where the shared bytes, and this file, now end.
    // Blocks are shared whole, so an offset inside one is refused. False
    // where it cannot; this file then has its length again.
    bool cloneRangeFrom(const File& source, std::int64_t offset, std::int64_t end, std::int64_t most,
                        std::int64_t& next) noexcept;
    // Where this file's next data lies from `offset` on, before `end`: the
    // bytes from `offset` to the range's begin are a hole, and an empty range
    // at `end` says that only a hole is left. A file that the file system
    // keeps no holes in, or does not tell them, is data throughout.
    ByteRange nextData(std::int64_t offset, std::int64_t end) const noexcept;
    // Extends this file, open for writing, to `bytes` with a hole, which
    // reads as zeros and, where the file system keeps holes, takes no space.
    IoError growWithHole(std::int64_t bytes);
    // Lets the OS copy bytes of `source` into this file at the same offsets,
    // starting at `offset`: a hole there is skipped and left a hole, then at
    // most `most` bytes of data are copied, none at or past `end`. `next` is
    // the offset up to which this file now matches the source (holes
    // included). `refused` says the OS does not copy between these two files
    // (another file system, one that does not offer it): then nothing was
    // written, and the caller reads and writes instead. `refused` without an
    // error means the source ended early.
    IoError copyFrom(const File& source, std::int64_t offset, std::int64_t end, std::int64_t most, std::int64_t& next,
                     bool& refused);
    // The file's identity; empty unless it is a regular file on disk.
    std::optional<FileIdentity> identity() const;
    // The file's status-change time, in the ticks of FileStatus::changeTicks;
    // empty where the file system does not give one.
    std::optional<std::int64_t> changeTicks() const;
    // Closes the handle and reports what the OS said (a deferred write error may
    // show only here). Closing a closed File succeeds.
    IoError close();

private:
    // Closes the handle, if any, without a word.
    void discard() noexcept;

    // A file descriptor, or a HANDLE's value; kClosed is also INVALID_HANDLE_VALUE.
    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t m_native = kClosed;
    // Opened by openForRead where the probe must wait for our reads (Windows).
    bool m_ownRead = false;
};

// The identity of the regular file at `path`; empty for folders, devices,
// missing paths and anything that cannot be queried.
std::optional<FileIdentity> identityOf(const std::string& path);

// Deletes the file at `path` (never a folder).
IoError removeFile(const std::string& path);

// Gives the file `from` the name `to` in one step, replacing a file of that
// name: at every instant `to` is either the old file or the new one, whole.
// Both names are in the same folder. The new name is on the disk when this
// returns, so that a crash soon after cannot bring the old file back.
IoError replaceFile(const std::string& from, const std::string& to);

// True where a handle this program keeps open on a file makes another
// program's open without sharing fail (Windows): there a file that other
// programs write must not be held between reads. Where false (POSIX), holding
// a file open is invisible to other programs and keeps the version it opened
// readable even once it has been replaced or deleted.
extern const bool kOpenFilesBlockOtherPrograms;

// Text as the platform's text files hold it: the ANSI code page on Windows,
// UTF-8 (unchanged) where there is no ANSI code page.
std::string textFileBytes(std::string_view utf8);

} // namespace platform
