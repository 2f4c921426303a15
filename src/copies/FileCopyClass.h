#pragma once
// Copies one file to another in chunks and publishes how far it has got, for
// the window's timer to paint from PercentREady.
//
// Given the window's message loop, a copy does all of its file I/O on a
// thread of its own while Copy turns the loop: the window stays responsive,
// and a file system that stops answering holds up only that thread. Without
// a message loop the copy runs on the calling thread.
//
// Every copy that is kept is one real version of the source, whole:
// - it is written under a name of its own (copies/unfinishedCopies.h) in the
//   destination's folder and takes the final name only once it is complete
//   and on the disk, replacing an older file of that name in one step; a
//   copy that does not complete leaves the older file as it was;
// - where holding a file open is invisible to other programs (POSIX), the
//   copy holds the source open from start to end, so that a version renamed
//   over or deleted meanwhile is still copied whole;
// - where an open handle would keep other programs out (Windows), the source
//   is opened again for every piece the copy moves (a megabyte read, or up to
//   a gigabyte of blocks shared where the volume clones) and must still be
//   the same file, changed at most by growth; it is never held open while
//   the copy writes or runs its passes;
// - a source that shrinks below what was already read has been rewritten in
//   place: the copy ends as SourceChanged and keeps nothing.
// - a copy never leaves less free space on its volume than the reserve of
//   copies/diskReserve.h: one that would is not begun, or is stopped, and
//   ends as Failed with rterr::DiskFull; a clone, which takes no space, is
//   always made.
//
// Copy never throws and shows nothing; LastOutcome and LastError tell the
// caller what happened.

#include "common/messageLoop.h"
#include "platform/rtError.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

enum class CopyOutcome {
    Copied,        // the destination holds every byte of one version of the source
    SourceMissing, // no existing plain file at the source's path; nothing was touched
    SourceChanged, // the source was rewritten or replaced under the copy; nothing was kept
    Failed,        // the copy could not be made (LastError says why); nothing was kept
    Abandoned,     // the caller gave up waiting for it; it is not kept unless its rename had begun
};

class FileCopyClass {
public:
    static constexpr std::int32_t kDefaultChunkSize = 32000;

    FileCopyClass() = default;
    FileCopyClass(const FileCopyClass&) = delete;
    FileCopyClass& operator=(const FileCopyClass&) = delete;

    // Chunk size in bytes; 0 means kDefaultChunkSize.
    std::int32_t CacheSize() const { return m_cacheSize; }
    void CacheSize(std::int32_t value) { m_cacheSize = value; }

    // Percentage of the source written to the destination, as last computed
    // (only copies of at least one chunk compute it). Any thread may read it.
    std::int16_t PercentREady() const { return m_percentReady.load(std::memory_order_relaxed); }
    void PercentREady(std::int16_t value) { m_percentReady.store(value, std::memory_order_relaxed); }

    // Set true when a copy completes, false when its source is missing; a
    // copy that ends otherwise leaves it as it was.
    bool Sucessfull() const { return m_successful; }
    void Sucessfull(bool value) { m_successful = value; }

    // Whole seconds the last completed copy took.
    std::int32_t SecondsTaken() const { return m_secondsTaken; }
    void SecondsTaken(std::int32_t value) { m_secondsTaken = value; }

    // Bytes of the running copy on the disk so far (of the last one, after it).
    // Any thread may read it.
    std::int64_t BytesWritten() const { return m_bytesWritten.load(std::memory_order_relaxed); }

    // How the last copy ended, and for Failed the error to show the user when
    // the file system gave one (empty for a failure of the program itself).
    CopyOutcome LastOutcome() const { return m_outcome; }
    std::optional<RtError> LastError() const { return m_error; }

    // Copies the bytes of SourceFile to Destination, replacing a file of
    // that name once the copy is complete. Returns when the copy has ended,
    // or at once when the message loop's giveUp says so.
    void Copy(const std::string& SourceFile, const std::string& Destination);

    // The loop Copy turns while the copy's I/O runs on its own thread, and
    // what tells it to stop waiting: once `giveUp` is true (the window has
    // gone, the copy makes no progress any more), Copy returns Abandoned and
    // the copy's thread finishes, or hangs, unseen. A null loop makes Copy
    // run on the calling thread again.
    void setMessageLoop(MessageLoop* loop, std::function<bool()> giveUp);

    // Runs after every pass of a chunked copy, on the thread doing its I/O
    // (while a message loop is set, not the caller's). Does nothing until set.
    void setPassHook(std::function<void()> hook) { m_passHook = std::move(hook); }

private:
    std::int32_t m_cacheSize = 0;
    std::atomic<std::int16_t> m_percentReady{0};
    std::atomic<std::int64_t> m_bytesWritten{0};
    bool m_successful = false;
    std::int32_t m_secondsTaken = 0;
    CopyOutcome m_outcome = CopyOutcome::Failed;
    std::optional<RtError> m_error;
    MessageLoop* m_loop = nullptr;
    std::function<bool()> m_giveUp;
    std::function<void()> m_passHook;
};
