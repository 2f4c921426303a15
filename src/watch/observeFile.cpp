#include "watch/observeFile.h"

#include "platform/files.h"
#include "platform/trail.h"

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

FileProbe probeFile(const std::string& path) {
    FileProbe probe;
    // GetFileState's answer (No File, Open, Free), and the length, dates and
    // identity from the same look, so they always describe one version.
    try {
        const auto look = platform::lookAtFile(path);
        if (!look.listed) {
            probe.state = modSentrel::fsNoFile;
            return probe;
        }
        probe.state = look.heldByOtherProcess ? modSentrel::fsOpen : modSentrel::fsFree;
        if (look.status) {
            probe.length = look.status->length;
            probe.modified = look.status->modified;
            probe.stamp.modifiedTicks = look.status->modifiedTicks;
            probe.stamp.identity = look.status->identity;
            probe.stamp.changeTicks = look.status->changeTicks;
        }
    } catch (...) {
        platform::trailCurrentException();
        probe.state = modSentrel::fsError;
    }
    return probe;
}

Observation describe(const FileProbe& probe, const Clock& clock) {
    Observation seen;
    seen.state = probe.state;
    // One read of the formats for all the texts, so the row that records them
    // shows them byte for byte.
    seen.formats = clock.formats();
    if (probe.state != modSentrel::fsNoFile) {
        seen.values = {probe.length, probe.modified};
        seen.stamp = probe.stamp;
    }
    seen.record = recordTexts(seen.state, seen.values, seen.formats.get());
    return seen;
}

bool differs(const Observation& observed, const ChangeRecord& previous, const std::optional<FileStamp>& previousStamp) {
    const ChangeRecord& now = observed.record;
    if (now.state != previous.state || now.dateModified != previous.dateModified ||
        now.sizeInBytes != previous.sizeInBytes) {
        return true;
    }
    if (!observed.stamp || !previousStamp) {
        return false;
    }
    const FileStamp& seen = *observed.stamp;
    const FileStamp& before = *previousStamp;
    // A value that could not be read on one side says nothing.
    return (seen.modifiedTicks && before.modifiedTicks && *seen.modifiedTicks != *before.modifiedTicks) ||
           platform::anotherFile(before.identity, before.changeTicks, seen.identity, seen.changeTicks);
}

std::string balloonMessage(std::string_view fileName, const ChangeRecord& record) {
    std::string message = "File: ";
    message.append(fileName);
    message +=
        "\r\nState: " + record.state + "\r\nSize: " + record.sizeText + "\r\nDate Modified: " + record.dateModified;
    return message;
}

} // namespace watch
