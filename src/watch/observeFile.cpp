#include "watch/observeFile.h"

#include "platform/files.h"

namespace watch {

std::string_view stateText(modSentrel::FileState state) {
    switch (state) {
    case modSentrel::fsFree:
        return "Free";
    case modSentrel::fsOpen:
        return "Open";
    case modSentrel::fsError:
        return "Error";
    case modSentrel::fsNoFile:
        return "No File";
    }
    return "Error";
}

Observation observeFile(const std::string& path, const Clock& clock) {
    Observation seen;
    seen.state = modSentrel::GetFileState(path);
    ChangeRecord& record = seen.record;
    record.state = std::string(stateText(seen.state));
    if (seen.state == modSentrel::fsNoFile) {
        record.sizeInBytes = record.sizeText = record.dateModified = "Unknown";
        return seen;
    }
    // The file may vanish between the reads: a read that fails leaves its field empty.
    if (const auto length = platform::fileLength(path)) {
        record.sizeInBytes = std::to_string(*length);
    }
    record.sizeText = modSentrel::FormatFileSize(record.sizeInBytes);
    if (const auto modified = platform::fileModifiedLocal(path)) {
        record.dateModified = clock.generalDate(*modified);
    }
    return seen;
}

bool differs(const ChangeRecord& observed, const ChangeRecord& previous) {
    return observed.state != previous.state || observed.dateModified != previous.dateModified ||
           observed.sizeInBytes != previous.sizeInBytes;
}

std::string balloonMessage(std::string_view fileName, const ChangeRecord& record) {
    std::string message = "File: ";
    message.append(fileName);
    message +=
        "\r\nState: " + record.state + "\r\nSize: " + record.sizeText + "\r\nDate Modified: " + record.dateModified;
    return message;
}

} // namespace watch
