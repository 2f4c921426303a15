#include "watch/modSentrel.h"

#include "common/convert.h"
#include "platform/locale.h"
#include "watch/observeFile.h"

namespace modSentrel {

// Both answer from the watch cycle's own probe.
bool IsFileLocked(const std::string& sPath) {
    return watch::probeFile(sPath).state == fsOpen;
}

FileState GetFileState(const std::string& sPath) {
    return watch::probeFile(sPath).state;
}

std::string FormatFileSize(std::string_view sSize, std::string_view decimalSeparator) {
    const auto number = convert::parseNumber(sSize, decimalSeparator);
    if (!number) {
        return std::string(sSize);
    }
    struct Unit {
        double divisor;
        const char* word;
    };
    static constexpr Unit units[] = {
        {1073741824.0, " gb"},
        {1048576.0, " mb"},
        {1024.0, " kb"},
    };
    for (const auto& unit : units) {
        if (*number > unit.divisor) {
            return convert::formatGeneral(convert::roundHalfEven(*number / unit.divisor, 2), decimalSeparator) +
                   unit.word;
        }
    }
    return std::string(sSize) + " bytes";
}

std::string FormatFileSize(std::string_view sSize) {
    return FormatFileSize(sSize, platform::userNumberFormat().decimalSeparator);
}

} // namespace modSentrel
