#include "copies/copyName.h"

#include "common/modKorvel.h"

#include <cstdio>

namespace copies {

namespace {

std::string twoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// The locale's designator as part of a file name: the user may have set any
// text, and a separator in it would put a folder into the copy's name.
// Whatever no Windows file name may hold becomes "_".
std::string designatorForName(std::string_view designator) {
    std::string result(designator);
    for (auto& c : result) {
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) {
            c = '_';
        }
    }
    return result;
}

std::string stampFor(const Clock& clock) {
    return copyTimestamp(clock.now(), clock.dayHalfDesignators());
}

} // namespace

std::string copyTimestamp(const platform::LocalDateTime& time, const platform::DayHalfDesignators& designators) {
    char date[32];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d ", time.year, time.month, time.day);
    const int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
    return date + twoDigits(hour12) + "-" + twoDigits(time.minute) + "-" + twoDigits(time.second) + " " +
           designatorForName(time.hour < 12 ? designators.beforeNoon : designators.afterNoon);
}

CopyNameParts copyNamePartsFor(std::string_view appFolder, std::string_view watchedPath, bool bManual, char separator) {
    CopyNameParts parts;
    parts.folder = std::string(appFolder) + "Copies" + separator;
    parts.manual = bManual;
    const auto fileName = modKorvel::GetFileName(watchedPath, false, separator);
    if (fileName.find('.') == std::string::npos) {
        parts.baseName = fileName;
    } else {
        parts.baseName = modKorvel::GetFileName(watchedPath, true, separator);
        parts.extension = modKorvel::GetExtension(watchedPath);
    }
    return parts;
}

std::string copyCandidate(const CopyNameParts& parts, std::string_view timestamp, std::int64_t counter) {
    char number[32];
    std::snprintf(number, sizeof number, "%04lld", static_cast<long long>(counter));
    std::string tail = " - ";
    tail += timestamp;
    if (parts.manual) {
        tail += " - Manual";
    }
    tail += std::string(" (") + number + ")";
    if (parts.extension) {
        tail += "." + *parts.extension;
    }
    std::string_view base = parts.baseName;
    if (base.size() + tail.size() > parts.maxNameBytes && tail.size() < parts.maxNameBytes) {
        base = base.substr(0, parts.maxNameBytes - tail.size());
        // Back to the start of a UTF-8 character: continuation bytes are 10xxxxxx.
        std::size_t keep = base.size();
        while (keep > 0 && keep < parts.baseName.size() &&
               (static_cast<unsigned char>(parts.baseName[keep]) & 0xC0) == 0x80) {
            --keep;
        }
        base = base.substr(0, keep);
    }
    return parts.folder + std::string(base) + tail;
}

std::string chooseCopyName(const CopyNameParts& parts, const Clock& clock,
                           const std::function<bool(const std::string&)>& exists) {
    std::string candidate = copyCandidate(parts, stampFor(clock), 1);
    for (std::int64_t counter = 2; exists && exists(candidate); ++counter) {
        candidate = copyCandidate(parts, stampFor(clock), counter);
    }
    return candidate;
}

} // namespace copies
