#include "log/changeLog.h"

#include "common/userMessage.h"
#include "common/version.h"
#include "platform/fileio.h"
#include "platform/trail.h"

#include <cstdio>
#include <deque>

std::string buildLogLine(const ChangeRecord& record, std::string_view time) {
    std::string line;
    line.reserve(time.size() + record.state.size() + record.sizeInBytes.size() + record.sizeText.size() +
                 record.dateModified.size() + 4);
    line.append(time).append(",");
    line.append(record.state).append(",");
    line.append(record.sizeInBytes).append(",");
    line.append(record.sizeText).append(",");
    line.append(record.dateModified);
    return line;
}

namespace {

platform::IoError appendText(const std::string& bytes, const std::string& path) {
    platform::File file;
    if (auto error = file.openForAppend(path)) {
        return error;
    }
    std::int64_t before = 0;
    if (auto error = file.length(before)) {
        return error;
    }
    if (auto error = file.write(bytes.data(), static_cast<std::int64_t>(bytes.size()))) {
        // A part-written line would run into the next one; take it back.
        file.resize(before);
        return error;
    }
    return file.close();
}

// What could not be written yet, oldest first; used on the GUI thread only.
struct Unwritten {
    std::string path;
    std::deque<std::string> lines;
    std::size_t lost = 0; // past the limit
};

Unwritten& unwritten() {
    static Unwritten kept;
    return kept;
}

// The kept lines and then `line` (if any), in one append to `path`.
platform::IoError appendWithKept(const std::string* line, const std::string& path) {
    auto& kept = unwritten();
    std::string bytes;
    for (const auto& old : kept.lines) {
        bytes += platform::textFileBytes(old + "\r\n");
    }
    if (line != nullptr) {
        bytes += platform::textFileBytes(*line + "\r\n");
    }
    if (bytes.empty()) {
        return std::nullopt;
    }
    if (auto error = appendText(bytes, path)) {
        return error;
    }
    kept.lines.clear();
    return std::nullopt;
}

void keep(const std::string& line, const std::string& path) {
    auto& kept = unwritten();
    kept.path = path;
    if (kept.lines.size() < changeLog::kMaxUnwrittenLines) {
        kept.lines.push_back(line);
    } else if (kept.lost++ == 0) {
        std::fprintf(stderr, "%s: the log %s still cannot be written; further changes are not kept for it\n",
                     std::string(kAppTitle).c_str(), path.c_str());
    }
}

} // namespace

namespace modKorvel {

void AppendLogLine(const std::string& sLine, const std::string& sPath) {
    try {
        if (auto error = appendWithKept(&sLine, sPath)) {
            keep(sLine, sPath);
            showErrorMessage("Error saving to log: " + error->text());
        }
    } catch (...) {
        platform::trailCurrentException();
        // Only memory can run out here; reported like any other failure, if
        // there is memory left for the message.
        try {
            showErrorMessage("Error saving to log: " + makeRtError(rterr::OutOfMemory).text());
        } catch (...) {
            platform::trailCurrentException();
        }
    }
}

} // namespace modKorvel

namespace changeLog {

std::size_t unwrittenLines() {
    return unwritten().lines.size();
}

bool writeUnwrittenLines() {
    auto& kept = unwritten();
    if (kept.lines.empty() && kept.lost == 0) {
        return true;
    }
    const auto title = std::string(kAppTitle);
    platform::IoError error;
    try {
        error = appendWithKept(nullptr, kept.path);
    } catch (...) {
        platform::trailCurrentException();
        error = makeRtError(rterr::OutOfMemory);
    }
    if (error) {
        std::fprintf(stderr, "%s: %zu change(s) could not be written to the log %s: %s\n", title.c_str(),
                     kept.lines.size(), kept.path.c_str(), error->text().c_str());
        for (const auto& line : kept.lines) {
            std::fprintf(stderr, "%s\n", line.c_str());
        }
    }
    if (kept.lost > 0) {
        std::fprintf(stderr, "%s: %zu more change(s) were not kept for the log %s\n", title.c_str(), kept.lost,
                     kept.path.c_str());
    }
    const bool allWritten = !error && kept.lost == 0;
    kept.lines.clear();
    kept.lost = 0;
    return allWritten;
}

} // namespace changeLog
