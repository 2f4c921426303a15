#include "support/folderContents.h"

#include "copies/unfinishedCopies.h"
#include "support/tempDir.h"

namespace testsupport {

std::map<std::string, std::string> folderContents(const std::filesystem::path& folder) {
    std::map<std::string, std::string> contents;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const auto name = utf8(entry.path().filename());
        const auto status = entry.symlink_status();
        if (std::filesystem::is_symlink(status)) {
            contents[name] = "<link>";
        } else if (std::filesystem::is_directory(status)) {
            contents[name] = "<folder>";
        } else if (std::filesystem::is_regular_file(status)) {
            contents[name] = readFile(utf8(entry.path()));
        } else {
            contents[name] = "<other>";
        }
    }
    return contents;
}

std::map<std::string, std::string> unfinishedCopiesIn(const std::filesystem::path& folder) {
    std::map<std::string, std::string> contents;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const auto name = utf8(entry.path().filename());
        if (copies::isUnfinishedCopyName(name) && std::filesystem::is_regular_file(entry.symlink_status())) {
            contents[name] = readFile(utf8(entry.path()));
        }
    }
    return contents;
}

} // namespace testsupport
