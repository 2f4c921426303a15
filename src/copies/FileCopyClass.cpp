#include "copies/FileCopyClass.h"

#include "common/convert.h"
#include "common/modKorvel.h"
#include "platform/fileio.h"

#include <chrono>
#include <limits>
#include <optional>
#include <vector>

namespace {

using platform::File;
using platform::IoError;

IoError changedUnderUs() {
    return makeRtError(rterr::PathFileAccessError);
}

// The destination file one copy creates. Unless the copy completes, it is
// removed again, so that a failed copy never leaves a truncated file under
// the copy's name.
class CreatedDestination {
public:
    explicit CreatedDestination(const std::string& path) : m_path(path) {}
    ~CreatedDestination() {
        if (!m_kept) {
            removeIfStillOurs();
        }
    }
    CreatedDestination(const CreatedDestination&) = delete;
    CreatedDestination& operator=(const CreatedDestination&) = delete;

    IoError create(File& file) {
        auto error = file.createForWrite(m_path);
        if (!error) {
            m_identity = file.identity();
        }
        return error;
    }

    // Opens the destination again, positioned at `offset`. Refuses a file
    // that has taken its name meanwhile (a nested copy to the same name):
    // writing on into that one would mix two copies, and removing it would
    // lose the other copy. The length is checked as well because a freed
    // inode number is soon given to the next new file.
    IoError reopen(File& file, std::int64_t offset) {
        if (auto error = file.openForWrite(m_path)) {
            return error;
        }
        if (m_identity) {
            std::int64_t length = -1;
            if (file.identity() != m_identity || file.length(length) || length != offset) {
                m_identity.reset();
                file.close();
                return changedUnderUs();
            }
        }
        return file.seek(offset);
    }

    void keep() { m_kept = true; }

private:
    // Only a regular file that is still the one this copy created: never a
    // device such as /dev/full, never a file that a nested copy put in its place.
    void removeIfStillOurs() noexcept {
        try {
            if (m_identity && platform::identityOf(m_path) == m_identity) {
                platform::removeFile(m_path);
            }
        } catch (...) {
        }
    }

    std::string m_path;
    std::optional<platform::FileIdentity> m_identity;
    bool m_kept = false;
};

// One call of Copy: its sizes, files and buffer.
class CopyRun {
public:
    CopyRun(FileCopyClass& copier, const std::function<void()>& yield, const std::string& source,
            const std::string& destination, std::int32_t chunkSize, std::int32_t flushSize)
        : m_copier(copier), m_yield(yield), m_source(source), m_destination(destination), m_chunk(chunkSize),
          m_flush(flushSize) {}

    // True when every byte was copied; on false the destination is gone again.
    bool run() {
        File source;
        if (source.openForRead(m_source)) {
            return false;
        }
        File out;
        if (m_destination.create(out)) {
            return false;
        }
        std::int64_t length = 0;
        if (source.length(length)) {
            return false;
        }
        if (length < m_chunk) {
            if (!copyInOneRead(source, out, length)) {
                return false;
            }
        } else {
            // Nothing may stay open while the copy yields.
            if (out.close() || !copyInChunks(source, length)) {
                return false;
            }
        }
        m_destination.keep();
        return true;
    }

private:
    bool copyInOneRead(File& source, File& out, std::int64_t length) {
        std::vector<char> bytes(static_cast<std::size_t>(length));
        std::int64_t got = 0;
        if (source.read(bytes.data(), length, got) || got != length) {
            return false;
        }
        return !out.write(bytes.data(), length) && !out.close() && !source.close();
    }

    // Enters with the source open and `length` its current length, which is at
    // least one chunk.
    bool copyInChunks(File& source, std::int64_t length) {
        std::vector<char> pending;
        std::int64_t read = 0;
        std::int64_t written = 0;
        while (read != length) {
            // A chunk of 0 or less: the source shrank below what was already
            // read, or the chunk size was negative from the start.
            if (m_chunk <= 0) {
                return false;
            }
            const std::size_t filled = pending.size();
            pending.resize(filled + static_cast<std::size_t>(m_chunk));
            std::int64_t got = 0;
            if (source.seek(read) || source.read(pending.data() + filled, m_chunk, got) || got != m_chunk) {
                return false; // a read error, or the source was cut short under us
            }
            read += m_chunk;
            if (static_cast<std::int64_t>(pending.size()) >= m_flush) {
                if (!writePending(pending, written)) {
                    return false;
                }
            }
            std::int64_t current = 0;
            if (source.length(current) || !setPercentReady(written, current)) {
                return false;
            }
            // Bytes that arrive after the last one was read are not followed:
            // the copy holds the source as it was when it caught up with it.
            const bool caughtUp = read == current;
            source.close();
            yieldOnce();
            if (caughtUp) {
                break;
            }
            if (source.openForRead(m_source) || source.length(length)) {
                return false;
            }
            // Near the end the chunk shrinks to exactly the remainder; it never grows back.
            if (length - read < m_chunk) {
                m_chunk = static_cast<std::int32_t>(length - read);
            }
        }
        source.close();
        return pending.empty() || writePending(pending, written);
    }

    bool writePending(std::vector<char>& pending, std::int64_t& written) {
        File out;
        const auto size = static_cast<std::int64_t>(pending.size());
        if (m_destination.reopen(out, written) || out.write(pending.data(), size) || out.close()) {
            return false;
        }
        written += size;
        pending.clear();
        return true;
    }

    // The share of the source written so far, in the classic runtime's
    // arithmetic: ((W / 100) * 100) / (L / 100), rounded half to even.
    bool setPercentReady(std::int64_t written, std::int64_t length) {
        const double percent = ((static_cast<double>(written) / 100.0) * 100.0) / (static_cast<double>(length) / 100.0);
        const auto value = convert::toInt16(percent);
        if (!value) {
            return false; // the source was emptied under us, or shrank far below what was written
        }
        m_copier.PercentREady(*value);
        return true;
    }

    void yieldOnce() {
        // A copy, so that a handler that replaces the yield function while it
        // runs does not destroy the one being called.
        const auto yield = m_yield;
        if (yield) {
            yield();
        }
    }

    FileCopyClass& m_copier;
    const std::function<void()>& m_yield;
    std::string m_source;
    CreatedDestination m_destination;
    std::int32_t m_chunk;
    std::int64_t m_flush;
};

} // namespace

void FileCopyClass::Copy(const std::string& SourceFile, const std::string& Destination) {
    try {
        const std::int32_t chunkSize = m_cacheSize == 0 ? kDefaultChunkSize : m_cacheSize;
        const std::int64_t flushSize = 2 * static_cast<std::int64_t>(chunkSize);
        if (flushSize > std::numeric_limits<std::int32_t>::max() ||
            flushSize < std::numeric_limits<std::int32_t>::min()) {
            return;
        }
        if (!modKorvel::FileExists(SourceFile)) {
            m_successful = false;
            return;
        }
        if (platform::identityOf(Destination) && platform::removeFile(Destination)) {
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        CopyRun run(*this, m_yield, SourceFile, Destination, chunkSize, static_cast<std::int32_t>(flushSize));
        if (!run.run()) {
            return;
        }
        m_successful = true;
        const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
        if (const auto seconds = convert::toInt32(taken.count())) {
            m_secondsTaken = *seconds;
        }
    } catch (...) {
        // Out of memory, or a yield function that threw: the copy ends quietly
        // like any other failed one (the destination has been removed).
    }
}
