// The path helpers on any text with either separator. Input: options NUL
// path; option byte 0 chooses the separator ("\" or "/").
//   - The folder and the file name put together give the path again; the
//     name holds no separator and the folder is empty or ends in one.
//   - The name without its extension is the name up to its last "."; the
//     extension is the text after the path's last "." (all of it without one).
//   - AddBackslash and the application folder rule end in exactly one separator
//     and name the same folder.

#include "fuzzInput.h"

#include "common/modKorvel.h"

namespace {

std::string_view withoutSeparatorsAtTheEnd(std::string_view path, char separator) {
    while (!path.empty() && path.back() == separator) {
        path.remove_suffix(1);
    }
    return path;
}

void checkOneSeparatorAtTheEnd(std::string_view path, std::string_view result, char separator, const char* what) {
    fuzz::check(!result.empty() && result.back() == separator &&
                    (result.size() < 2 || result[result.size() - 2] != separator),
                what, {path, result});
    fuzz::check(withoutSeparatorsAtTheEnd(result, separator) == withoutSeparatorsAtTheEnd(path, separator), what,
                {path, result});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Fields in(data, size);
    const auto options = in.next();
    const auto path = in.next();
    const char separator = fuzz::Fields::byte(options, 0) % 2 == 0 ? '\\' : '/';

    const auto name = modKorvel::GetFileName(path, false, separator);
    const auto folder = modKorvel::GetFolder(path, separator);
    fuzz::check(folder + name == path, "folder and name give the path", {path, folder, name});
    fuzz::check(name.find(separator) == std::string::npos, "a file name holds no separator", {path, name});
    fuzz::check(folder.empty() || folder.back() == separator, "a folder ends in its separator", {path, folder});

    const auto stem = modKorvel::GetFileName(path, true, separator);
    const auto lastDot = name.rfind('.');
    if (lastDot == std::string::npos || lastDot == 0) {
        fuzz::check(stem.empty(), "no name before an extension without a \".\" past the first character", {path, stem});
    } else {
        fuzz::check(stem == name.substr(0, lastDot), "the name up to its last \".\"", {path, stem});
    }

    const auto extension = modKorvel::GetExtension(path);
    if (path.find('.') == std::string_view::npos) {
        fuzz::check(extension == path, "no \".\": the extension is the whole path", {path, extension});
    } else {
        fuzz::check(extension.find('.') == std::string::npos && std::string_view(path).ends_with("." + extension),
                    "the text after the last \".\"", {path, extension});
    }

    const auto withSeparator = modKorvel::AddBackslash(path, separator);
    fuzz::check(withSeparator.has_value() != path.empty(), "AddBackslash refuses only an empty path", {path});
    if (withSeparator) {
        checkOneSeparatorAtTheEnd(path, *withSeparator, separator, "AddBackslash ends in exactly one separator");
    }
    if (!path.empty()) {
        checkOneSeparatorAtTheEnd(path, appFolderFrom(path, separator), separator,
                                  "the application folder ends in exactly one separator");
    }
    return 0;
}
