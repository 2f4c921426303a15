#include "common/modKorvel.h"

#include "common/userMessage.h"
#include "common/version.h"
#include "platform/files.h"
#include "platform/rtError.h"
#include "platform/shell.h"
#include "platform/trail.h"

#include <new>

namespace {

// A run of separators at the end ("a//") names the same folder as one.
std::string withOneSeparatorAtTheEnd(std::string_view path, char separator) {
    while (!path.empty() && path.back() == separator) {
        path.remove_suffix(1);
    }
    std::string result(path);
    result += separator;
    return result;
}

} // namespace

std::string appFolderFrom(std::string_view sFolder, char separator) {
    return withOneSeparatorAtTheEnd(sFolder, separator);
}

namespace modKorvel {

bool FileExists(const std::string& sPath) {
    if (sPath.empty()) {
        return false;
    }
    try {
        return platform::isListedPlainFile(sPath);
    } catch (...) {
        platform::trailCurrentException();
        return false;
    }
}

std::string GetFileName(std::string_view sPath, bool bNoExtension, char separator) {
    const auto lastSeparator = sPath.rfind(separator);
    const auto name = lastSeparator == std::string_view::npos ? sPath : sPath.substr(lastSeparator + 1);
    if (!bNoExtension) {
        return std::string(name);
    }
    const auto lastDot = name.rfind('.');
    if (lastDot == std::string_view::npos) {
        return {};
    }
    return std::string(name.substr(0, lastDot));
}

std::string GetExtension(std::string_view sPath) {
    const auto lastDot = sPath.rfind('.');
    if (lastDot == std::string_view::npos) {
        return std::string(sPath);
    }
    return std::string(sPath.substr(lastDot + 1));
}

std::string GetFolder(std::string_view sPath, char separator) {
    const auto lastSeparator = sPath.rfind(separator);
    if (lastSeparator == std::string_view::npos) {
        return {};
    }
    return std::string(sPath.substr(0, lastSeparator + 1));
}

std::optional<std::string> AddBackslash(std::string_view sPath, char separator) {
    if (sPath.empty()) {
        return std::nullopt;
    }
    return withOneSeparatorAtTheEnd(sPath, separator);
}

std::optional<std::string> AppFolder() {
    const auto folder = platform::executableFolder();
    if (!folder || folder->empty()) {
        return std::nullopt;
    }
    return appFolderFrom(*folder);
}

std::string VersionText(std::uint16_t major, std::uint16_t minor, std::uint16_t revision) {
    return std::to_string(major) + "." + std::to_string(minor) + std::to_string(revision);
}

std::string VersionText() {
    return VersionText(kVersionMajor, kVersionMinor, kVersionRevision);
}

void ShellOpen(const std::string& sFile, const std::string& sFolder, const std::optional<std::string>& sParameters) {
    std::optional<RtError> failure;
    try {
        failure = platform::shellOpenDocument(sFile, sFolder, sParameters);
    } catch (const std::bad_alloc&) {
        failure = makeRtError(rterr::OutOfMemory);
    } catch (...) {
        platform::trailCurrentException();
        failure = makeRtError(rterr::InvalidProcedureCall);
    }
    if (failure) {
        showErrorMessage("An error occurred opening '" + sFile + "': " + failure->text());
    }
}

} // namespace modKorvel
