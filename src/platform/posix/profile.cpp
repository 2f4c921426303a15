#include "platform/profile.h"

#include "platform/portable/iniFile.h"

#include <limits>

namespace platform {

const std::size_t kSettingBufferSize = std::numeric_limits<std::size_t>::max();

// Linux has no profile functions; the portable reader and writer stand in.
std::string getProfileString(const std::string& section, const std::string& key, const std::string& defaultText,
                             std::size_t bufferSize, const std::string& file) {
    return ini::getString(section, key, defaultText, bufferSize, file);
}

bool writeProfileString(const std::string& section, const std::string& key, const std::string& value,
                        const std::string& file) {
    return ini::writeString(section, key, value, file);
}

} // namespace platform
