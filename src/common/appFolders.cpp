#include "common/appFolders.h"

#include "common/modKorvel.h"
#include "platform/trail.h"

std::optional<std::string> AppFolders::appFolder() noexcept {
    try {
        return modKorvel::AppFolder();
    } catch (...) {
        platform::trailCurrentException();
        return std::nullopt;
    }
}

AppFolders& executableFolders() noexcept {
    static AppFolders folders;
    return folders;
}
