#include "log/changeLog.h"

#include "common/userMessage.h"
#include "platform/fileio.h"

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

namespace modKorvel {

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

} // namespace

void AppendLogLine(const std::string& sLine, const std::string& sPath) {
    try {
        if (auto error = appendText(platform::textFileBytes(sLine + "\r\n"), sPath)) {
            showErrorMessage("Error saving to log: " + error->text());
        }
    } catch (...) {
        // Only memory can run out here; reported like any other lost line, if
        // there is memory left for the message.
        try {
            showErrorMessage("Error saving to log: " + makeRtError(rterr::OutOfMemory).text());
        } catch (...) {
        }
    }
}

} // namespace modKorvel
