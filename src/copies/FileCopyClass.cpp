#include "copies/FileCopyClass.h"

#include "common/convert.h"
#include "common/modKorvel.h"
#include "common/offThread.h"
#include "copies/diskReserve.h"
#include "copies/unfinishedCopies.h"
#include "platform/fileio.h"
#include "platform/paths.h"
#include "platform/trail.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <vector>

namespace {

using platform::ByteRange;
using platform::File;
using platform::IoError;

struct CopyResult {
    CopyOutcome outcome = CopyOutcome::Failed;
    std::optional<RtError> error;
};

// What ends a copy early; empty while it goes on.
using Stop = std::optional<CopyResult>;

// The source a copy began with, to know it again when it is reopened.
struct SourceNaming {
    platform::FileIdentity identity;
    std::optional<std::int64_t> changeTicks;
};

CopyResult failed(RtError error) {
    return {CopyOutcome::Failed, std::move(error)};
}

CopyResult sourceChanged() {
    return {CopyOutcome::SourceChanged, std::nullopt};
}

bool isGone(const RtError& error) {
    return error.number == rterr::FileNotFound || error.number == rterr::PathNotFound;
}

// The folder part of a path, separator included; "" for a bare name.
std::string folderOf(const std::string& path) {
    const auto cut = path.find_last_of(std::string{platform::kPathSeparator, '/'});
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// The share of the source written so far, in the classic runtime's
// arithmetic: ((W / 100) * 100) / (L / 100), rounded half to even.
std::optional<std::int16_t> percentOf(std::int64_t written, std::int64_t length) {
    return convert::toInt16(((static_cast<double>(written) / 100.0) * 100.0) / (static_cast<double>(length) / 100.0));
}

// The bytes read and not yet written. Before a chunk is added it holds less
// than the flush size, twice the chunk size; the chunk never grows, so three
// chunks always suffice. Not a vector: its bytes need no zeroing before a read
// overwrites them.
class Pending {
public:
    explicit Pending(std::int32_t chunk)
        : m_bytes(std::make_unique_for_overwrite<char[]>(3 * static_cast<std::size_t>(chunk))) {}
    char* data() { return m_bytes.get(); }
    char* end() { return m_bytes.get() + m_size; }
    std::int64_t size() const { return m_size; }
    void grow(std::int64_t bytes) { m_size += bytes; }
    void clear() { m_size = 0; }

private:
    std::unique_ptr<char[]> m_bytes;
    std::int64_t m_size = 0;
};

// The chunk loop's passes without its reads and writes: a copy that moves
// larger pieces runs one after each chunk its pieces have covered, so that
// the bar gets the very percents the chunk loop gives.
class ChunkPasses {
public:
    ChunkPasses(std::int32_t chunk, std::int64_t flush) : m_chunk(chunk), m_flush(flush) {}

    // Whether the next chunk lies whole within the first `bytes` of the copy.
    bool nextWithin(std::int64_t bytes) const { return m_read < bytes && m_read + m_chunk <= bytes; }

    // Passes it, with the source now `length` bytes long; the percent the
    // chunk loop publishes there.
    std::optional<std::int16_t> pass(std::int64_t length) {
        m_read += m_chunk;
        m_pending += m_chunk;
        if (m_pending >= m_flush) {
            m_written += m_pending;
            m_pending = 0;
        }
        // Near the end the chunk shrinks to exactly the remainder; it never grows back.
        if (length > m_read && length - m_read < m_chunk) {
            m_chunk = length - m_read;
        }
        return percentOf(m_written, length);
    }

private:
    std::int64_t m_chunk;
    std::int64_t m_flush;
    std::int64_t m_read = 0;
    std::int64_t m_pending = 0;
    std::int64_t m_written = 0;
};

// What a running copy shares with the copier that started it. Once the copier
// abandons the copy it may be gone, so the copy publishes nothing after that,
// and it never starts the rename that would keep the copy.
class CopyLink {
public:
    CopyLink(std::atomic<std::int16_t>& percent, std::atomic<std::int64_t>& written)
        : m_percent(&percent), m_written(&written) {}

    void publishPercent(std::int16_t value) {
        const std::lock_guard lock(m_mutex);
        if (m_percent != nullptr) {
            m_percent->store(value, std::memory_order_relaxed);
        }
    }
    void publishWritten(std::int64_t value) {
        const std::lock_guard lock(m_mutex);
        if (m_written != nullptr) {
            m_written->store(value, std::memory_order_relaxed);
        }
    }
    bool abandoned() const {
        const std::lock_guard lock(m_mutex);
        return m_percent == nullptr;
    }
    // Never waits for I/O: the mutex is held only around the stores above.
    void abandon() {
        const std::lock_guard lock(m_mutex);
        m_percent = nullptr;
        m_written = nullptr;
    }

private:
    mutable std::mutex m_mutex;
    std::atomic<std::int16_t>* m_percent;
    std::atomic<std::int64_t>* m_written;
};

// The file a copy writes until it is whole, under an unfinished-copy name in
// the destination's folder. Unless it has taken the destination's name, it
// is deleted again when the copy ends, however it ends.
class UnfinishedCopy {
public:
    explicit UnfinishedCopy(std::string folder) : m_folder(std::move(folder)) {}
    ~UnfinishedCopy() {
        if (!m_placed) {
            removeIfStillOurs();
        }
    }
    UnfinishedCopy(const UnfinishedCopy&) = delete;
    UnfinishedCopy& operator=(const UnfinishedCopy&) = delete;

    IoError create(const File& source) {
        // The name is random; another copy that drew the same one keeps it.
        for (int attempt = 0; attempt < 8; ++attempt) {
            m_path = m_folder + copies::unfinishedCopyName(copies::newUnfinishedCopyTag());
            auto error = m_file.createNew(m_path, source);
            if (!error) {
                m_identity = m_file.identity();
                return std::nullopt;
            }
            if (error->number != rterr::FileAlreadyExists) {
                // The name is ours, so a missing file means a missing folder.
                return error->number == rterr::FileNotFound ? makeRtError(rterr::PathNotFound) : error;
            }
        }
        return makeRtError(rterr::FileAlreadyExists);
    }

    File& file() { return m_file; }

    // Puts the whole copy on the disk, then under the destination's name.
    CopyResult placeAs(const std::string& destination, CopyLink& link) {
        if (auto error = m_file.flush()) {
            return failed(*error);
        }
        if (auto error = m_file.close()) {
            return failed(*error);
        }
        // The last moment the copy can still be dropped: a rename that has
        // begun cannot be called back.
        if (link.abandoned()) {
            return {CopyOutcome::Abandoned, std::nullopt};
        }
        if (auto error = platform::replaceFile(m_path, destination)) {
            return failed(*error);
        }
        m_placed = true;
        return {CopyOutcome::Copied, std::nullopt};
    }

private:
    // Only the file this copy created: never one that took the name since.
    void removeIfStillOurs() noexcept {
        try {
            m_file.close();
            if (m_identity && platform::identityOf(m_path) == m_identity) {
                platform::removeFile(m_path);
            }
        } catch (...) {
            platform::trailCurrentException();
        }
    }

    std::string m_folder;
    std::string m_path;
    File m_file;
    std::optional<platform::FileIdentity> m_identity;
    bool m_placed = false;
};

// One call of Copy: its sizes and hook, and the way to its copier. It may
// outlive the copier (an abandoned copy), so it holds nothing of it but the link.
class CopyRun {
public:
    CopyRun(std::string source, std::string destination, std::int32_t chunkSize, std::int64_t flushSize,
            std::function<void()> hook, std::atomic<std::int16_t>& percent, std::atomic<std::int64_t>& written)
        : m_source(std::move(source)), m_destination(std::move(destination)), m_chunk(chunkSize), m_flush(flushSize),
          m_hook(std::move(hook)), m_link(percent, written) {}

    void abandon() { m_link.abandon(); }

    CopyResult execute() noexcept {
        try {
            return copy();
        } catch (const std::bad_alloc&) {
            return failed(makeRtError(rterr::OutOfMemory));
        } catch (...) {
            platform::trailCurrentException();
            return {CopyOutcome::Failed, std::nullopt}; // a pass hook that threw
        }
    }

private:
    CopyResult copy() {
        m_link.publishWritten(0);
        if (!modKorvel::FileExists(m_source)) {
            return {CopyOutcome::SourceMissing, std::nullopt};
        }
        if (m_chunk <= 0) {
            return failed(makeRtError(rterr::InvalidProcedureCall));
        }
        File source;
        if (auto error = source.openForRead(m_source)) {
            return isGone(*error) ? CopyResult{CopyOutcome::SourceMissing, std::nullopt} : failed(*error);
        }
        const auto identity = source.identity();
        if (!identity) {
            return {CopyOutcome::SourceMissing, std::nullopt}; // replaced by a folder or a device since
        }
        const auto changed = source.changeTicks();
        if (auto error = checkDestination()) {
            return failed(*error);
        }
        std::int64_t length = 0;
        if (auto error = source.length(length)) {
            return failed(*error);
        }
        UnfinishedCopy out(folderOf(m_destination));
        if (auto error = out.create(source)) {
            return failed(*error);
        }
        Stop stop;
        if (length < m_chunk) {
            stop = roomFor(0, length);
            if (!stop) {
                stop = copyInOneRead(source, out.file(), length);
            }
        } else if (platform::kOpenFilesBlockOtherPrograms) {
            stop = copyInPieces(source, {*identity, changed}, out.file(), length);
        } else if (auto kernel = copyInKernel(source, out.file(), length)) {
            stop = *kernel;
        } else if (auto error = source.seek(0)) {
            return failed(*error); // finding the holes moved it
        } else {
            stop = roomFor(0, length);
            if (!stop) {
                stop = copyInChunks(source, out.file(), length);
            }
        }
        if (stop) {
            return *stop;
        }
        source.close();
        return out.placeAs(m_destination, m_link);
    }

    // Only a file is ever replaced: a device such as /dev/full, or a folder,
    // under the destination's name is left alone.
    IoError checkDestination() const {
        std::error_code error;
        const auto status = std::filesystem::status(
            std::filesystem::path(std::u8string(m_destination.begin(), m_destination.end())), error);
        if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
            return makeRtError(rterr::PathFileAccessError);
        }
        return std::nullopt;
    }

    Stop copyInOneRead(File& source, File& out, std::int64_t length) {
        std::vector<char> bytes(static_cast<std::size_t>(length));
        std::int64_t got = 0;
        if (auto error = source.read(bytes.data(), length, got)) {
            return failed(*error);
        }
        if (got != length) {
            return sourceChanged(); // cut short since its length was taken
        }
        if (auto error = out.write(bytes.data(), length)) {
            return failed(*error);
        }
        m_link.publishWritten(length);
        return std::nullopt;
    }

    // The file system copies, holding the source open throughout: a clone of
    // the whole file where it shares blocks, else the kernel copies piece by
    // piece and holes stay holes. Empty when the file system leaves the copy
    // to us, before anything was written.
    std::optional<Stop> copyInKernel(File& source, File& out, std::int64_t length) {
        if (out.cloneFrom(source)) {
            // Taken at once: the version of that instant, at its length then.
            std::int64_t cloned = 0;
            if (auto error = out.length(cloned)) {
                return failed(*error);
            }
            m_link.publishWritten(cloned);
            m_nextSpaceCheck = std::numeric_limits<std::int64_t>::max(); // it took no space to keep
            return endOfPass(cloned, cloned);
        }
        // A clone takes no space; bytes copied do, holes none.
        m_holesKept = {&source, &out};
        if (auto stop = roomFor(0, length)) {
            return stop;
        }
        std::int64_t done = 0;
        for (bool first = true;; first = false) {
            std::int64_t next = 0;
            bool refused = false;
            const auto error = out.copyFrom(source, done, length, kKernelPiece, next, refused);
            if (refused && first) {
                m_holesKept = {};
                return std::nullopt;
            }
            if (error) {
                return failed(*error);
            }
            if (refused) {
                return sourceChanged(); // it ended before its length
            }
            if (next / kWriteBehind != done / kWriteBehind) {
                out.startFlush();
            }
            done = next;
            m_link.publishWritten(done);
            std::int64_t current = 0;
            if (auto lengthError = source.length(current)) {
                return failed(*lengthError);
            }
            if (current < done) {
                return sourceChanged();
            }
            // As in the chunk loop, bytes that arrive after the copy caught up are not followed.
            const bool caughtUp = done == current;
            if (auto stop = endOfPass(done, current)) {
                return stop;
            }
            if (caughtUp) {
                break;
            }
            length = current; // grown meanwhile: the next piece goes on to its new end
        }
        // A source that ends in a hole: the copy gets its length, not its blocks.
        if (auto error = out.resize(done)) {
            return failed(*error);
        }
        return Stop{};
    }

    // After a pass of the kernel's copy, with `done` bytes of a `length`-byte
    // source in the copy: the percent the chunk loop would publish there. It
    // writes a flush's worth at every second chunk, so by then it has
    // written the whole flushes among those bytes, and after its last pass
    // those of the whole file. A source shorter than one chunk publishes none.
    Stop endOfPass(std::int64_t done, std::int64_t length) {
        if (length >= m_chunk) {
            const auto percent = percentOf(done / m_flush * m_flush, length);
            if (!percent) {
                return failed(makeRtError(rterr::InvalidProcedureCall));
            }
            m_link.publishPercent(*percent);
        }
        return runHook(done, length);
    }

    // The pass hook, with `written` bytes of a `length`-byte source in the
    // copy; a copy given up meanwhile, or one that would now cross the
    // reserve, ends there.
    Stop runHook(std::int64_t written, std::int64_t length) {
        if (m_hook) {
            m_hook();
        }
        if (m_link.abandoned()) {
            return CopyResult{CopyOutcome::Abandoned, std::nullopt};
        }
        // Another program may be filling the disk too. Asked once a
        // megabyte or so: the chunk loop's passes come every 32,000 bytes.
        if (written >= m_nextSpaceCheck) {
            return roomFor(written, length);
        }
        return std::nullopt;
    }

    // Whether the rest of a `length`-byte source, `written` bytes of it in the
    // copy, still leaves the reserve free on the copy's volume.
    Stop roomFor(std::int64_t written, std::int64_t length) {
        m_nextSpaceCheck = written + kSpaceCheckEvery;
        auto needed = std::max<std::int64_t>(length - written, 0);
        std::int64_t sourceData = 0;
        std::int64_t copyData = 0;
        if (m_holesKept.first != nullptr && !m_holesKept.first->spaceTaken(sourceData) &&
            !m_holesKept.second->spaceTaken(copyData)) {
            // Where holes stay holes, the source's data not yet in the copy.
            needed = std::clamp<std::int64_t>(sourceData - copyData, 0, needed);
        }
        if (auto error = copies::reserveCrossedBy(folderOf(m_destination), needed)) {
            return failed(*error);
        }
        return std::nullopt;
    }

    // Where an open file keeps other programs out (Windows), the copy lets
    // go of the source after every piece it moves and opens it again for the
    // next, which must still be the file it began with; it never holds the
    // source while it writes or runs its passes. A piece shares the source's
    // blocks where the volume clones, else it is read and written, a
    // megabyte at a time, holes skipped and left holes in the copy. Enters
    // with the source open and `length` its current length, at least a chunk.
    Stop copyInPieces(File& source, const SourceNaming& naming, File& out, std::int64_t length) {
        ChunkPasses chunks(m_chunk, m_flush);
        std::unique_ptr<char[]> bytes;
        std::int64_t done = 0;
        bool cloning = true;
        for (;;) {
            std::int64_t next = done;
            ByteRange data{done, done};
            if (cloning && !out.cloneRangeFrom(source, done, length, kClonePiece, next)) {
                cloning = false;
                // A clone takes no space; bytes copied do.
                if (auto stop = roomFor(done, length)) {
                    return stop;
                }
            }
            if (!cloning) {
                data = source.nextData(done, length);
                data.end = std::min(data.end, data.begin + kReadPiece);
                next = data.end;
                if (!bytes) {
                    bytes = std::make_unique_for_overwrite<char[]>(kReadPiece);
                }
                if (auto stop = readPiece(source, data, bytes.get())) {
                    return stop;
                }
            }
            std::int64_t current = 0;
            if (auto error = source.length(current)) {
                return failed(*error);
            }
            if (current < next) {
                return sourceChanged();
            }
            source.close();
            if (!cloning) {
                if (auto error = writePiece(out, done, data, bytes.get())) {
                    return failed(*error);
                }
            }
            if (next / kWriteBehind != done / kWriteBehind) {
                out.startFlush();
            }
            done = next;
            m_link.publishWritten(done);
            if (cloning) {
                m_nextSpaceCheck = std::numeric_limits<std::int64_t>::max();
            }
            if (auto stop = passChunks(chunks, done, current)) {
                return stop;
            }
            // As in the chunk loop, bytes that arrive after the copy caught up are not followed.
            if (done == current) {
                return std::nullopt;
            }
            if (auto stop = reopen(source, naming)) {
                return stop;
            }
            if (auto error = source.length(length)) {
                return failed(*error);
            }
            if (length < done) {
                return sourceChanged();
            }
        }
    }

    // Reads the bytes of `data` (none for an empty range) into `bytes`.
    Stop readPiece(File& source, const ByteRange& data, char* bytes) {
        if (data.begin == data.end) {
            return std::nullopt;
        }
        std::int64_t got = 0;
        if (auto error = source.seek(data.begin)) {
            return failed(*error);
        }
        if (auto error = source.read(bytes, data.end - data.begin, got)) {
            return failed(*error);
        }
        if (got != data.end - data.begin) {
            return sourceChanged(); // cut short under us
        }
        return std::nullopt;
    }

    // Puts a piece read into the copy, which ends at `done`: a hole up to
    // where its data begins, then its bytes.
    IoError writePiece(File& out, std::int64_t done, const ByteRange& data, const char* bytes) {
        if (data.begin > done) {
            if (auto error = out.growWithHole(data.begin)) {
                return error;
            }
        }
        if (data.begin == data.end) {
            return std::nullopt;
        }
        if (auto error = out.seek(data.begin)) {
            return error;
        }
        return out.write(bytes, data.end - data.begin);
    }

    // The chunk loop's passes over the chunks that the first `done` bytes of
    // the copy now hold, the source being `length` bytes long.
    Stop passChunks(ChunkPasses& chunks, std::int64_t done, std::int64_t length) {
        while (chunks.nextWithin(done)) {
            const auto percent = chunks.pass(length);
            if (!percent) {
                return failed(makeRtError(rterr::InvalidProcedureCall));
            }
            m_link.publishPercent(*percent);
            if (auto stop = runHook(done, length)) {
                return stop;
            }
        }
        return std::nullopt;
    }

    // Enters with the source open and `length` its current length, which is
    // at least one chunk. The whole loop runs on this thread: the caller
    // reads the progress from the copier's atomics whenever it likes.
    Stop copyInChunks(File& source, File& out, std::int64_t length) {
        Pending pending(m_chunk);
        std::int64_t read = 0;
        std::int64_t written = 0;
        while (read != length) {
            std::int64_t got = 0;
            if (auto error = source.read(pending.end(), m_chunk, got)) {
                return failed(*error);
            }
            if (got != m_chunk) {
                return sourceChanged(); // cut short under us
            }
            pending.grow(m_chunk);
            read += m_chunk;
            if (pending.size() >= m_flush) {
                if (auto error = writePending(out, pending, written)) {
                    return failed(*error);
                }
            }
            std::int64_t current = 0;
            if (auto error = source.length(current)) {
                return failed(*error);
            }
            if (current < read) {
                return sourceChanged();
            }
            const auto percent = percentOf(written, current);
            if (!percent) {
                return failed(makeRtError(rterr::InvalidProcedureCall));
            }
            m_link.publishPercent(*percent);
            // Bytes that arrive after the last one was read are not followed:
            // the copy holds the source as it was when it caught up with it.
            const bool caughtUp = read == current;
            if (auto stop = runHook(written, current)) {
                return stop;
            }
            if (caughtUp) {
                break;
            }
            if (auto error = source.length(length)) {
                return failed(*error);
            }
            if (length < read) {
                return sourceChanged();
            }
            // Near the end the chunk shrinks to exactly the remainder; it never grows back.
            if (length - read < m_chunk) {
                m_chunk = static_cast<std::int32_t>(length - read);
            }
        }
        if (pending.size() > 0) {
            if (auto error = writePending(out, pending, written)) {
                return failed(*error);
            }
        }
        return std::nullopt;
    }

    // Opens the source again. Only the file the copy began with will do:
    // another one under its name is a new version, and its bytes must not be
    // mixed with those of the old one. A new identity alone is a file system
    // renumbering the same file.
    Stop reopen(File& source, const SourceNaming& naming) {
        if (auto error = source.openForRead(m_source)) {
            return isGone(*error) ? sourceChanged() : failed(*error);
        }
        const auto identity = source.identity();
        if (!identity || platform::anotherFile(naming.identity, naming.changeTicks, identity, source.changeTicks())) {
            return sourceChanged();
        }
        return std::nullopt;
    }

    IoError writePending(File& out, Pending& pending, std::int64_t& written) {
        if (auto error = out.write(pending.data(), pending.size())) {
            return error;
        }
        // Writing back as the copy goes keeps the flush at its end short,
        // and keeps a large copy from filling the OS's cache first.
        if ((written + pending.size()) / kWriteBehind != written / kWriteBehind) {
            out.startFlush();
        }
        written += pending.size();
        pending.clear();
        m_link.publishWritten(written);
        return std::nullopt;
    }

    static constexpr std::int64_t kWriteBehind = std::int64_t{8} << 20;
    // What the kernel copies between two passes: large enough that a pass
    // costs nothing beside it, small enough that the bar moves.
    static constexpr std::int64_t kKernelPiece = std::int64_t{4} << 20;
    static constexpr std::int64_t kSpaceCheckEvery = std::int64_t{1} << 20;
    // What the copy reads and writes in one go where it opens the source for
    // each piece: far fewer opens than a chunk at a time, and still short
    // enough a read that another program's open is not kept out for long.
    static constexpr std::int64_t kReadPiece = std::int64_t{1} << 20;
    // What one clone shares: a whole number of clusters of any size a volume
    // uses, under the most one call takes.
    static constexpr std::int64_t kClonePiece = std::int64_t{1} << 30;

    std::string m_source;
    std::string m_destination;
    std::int32_t m_chunk;
    std::int64_t m_flush;
    std::function<void()> m_hook;
    CopyLink m_link;
    std::int64_t m_nextSpaceCheck = 0;
    // The source and the copy while the kernel copies, keeping holes.
    std::pair<const File*, const File*> m_holesKept{};
};

} // namespace

void FileCopyClass::setMessageLoop(MessageLoop* loop, std::function<bool()> giveUp) {
    m_loop = loop;
    m_giveUp = std::move(giveUp);
}

void FileCopyClass::Copy(const std::string& SourceFile, const std::string& Destination) {
    const auto start = std::chrono::steady_clock::now();
    CopyResult result;
    try {
        const std::int32_t chunkSize = m_cacheSize == 0 ? kDefaultChunkSize : m_cacheSize;
        const std::int64_t flushSize = 2 * static_cast<std::int64_t>(chunkSize);
        if (flushSize > std::numeric_limits<std::int32_t>::max() ||
            flushSize < std::numeric_limits<std::int32_t>::min()) {
            result = failed(makeRtError(rterr::InvalidProcedureCall));
        } else if (m_loop == nullptr) {
            CopyRun run(SourceFile, Destination, chunkSize, flushSize, m_passHook, m_percentReady, m_bytesWritten);
            result = run.execute();
        } else {
            auto run = std::make_shared<CopyRun>(SourceFile, Destination, chunkSize, flushSize, m_passHook,
                                                 m_percentReady, m_bytesWritten);
            OffThread<CopyResult> work(*m_loop, [run] { return run->execute(); });
            // Whether to give up can change with time alone (a copy that no
            // longer moves), so it is asked at least a few times a second.
            if (auto done = work.wait(m_giveUp, std::chrono::milliseconds(200))) {
                result = std::move(*done);
            } else {
                run->abandon();
                result = {CopyOutcome::Abandoned, std::nullopt};
            }
        }
    } catch (const std::bad_alloc&) {
        result = failed(makeRtError(rterr::OutOfMemory));
    } catch (...) {
        platform::trailCurrentException();
        // No thread could be started, or a pass hook that threw: the copy has
        // ended like any failed one (its unfinished file is gone).
        result = {CopyOutcome::Failed, std::nullopt};
    }
    m_outcome = result.outcome;
    m_error = std::move(result.error);
    if (m_outcome == CopyOutcome::SourceMissing) {
        m_successful = false;
    } else if (m_outcome == CopyOutcome::Copied) {
        m_successful = true;
        const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
        if (const auto seconds = convert::toInt32(taken.count())) {
            m_secondsTaken = *seconds;
        }
    }
}
