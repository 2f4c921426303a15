#include "platform/profile.h"

#include "platform/portable/iniFile.h"
#include "platform/trail.h"
#include "platform/wholeFile.h"
#include "platform/win32/text.h"

#include <windows.h>

#include <vector>

namespace platform {

const std::size_t kSettingBufferSize = 750;

namespace {

// The profile functions keep a file in the ANSI code page unless it starts
// with a UTF-16LE byte-order mark; the wide functions then read and write
// UTF-16 and every character survives.
bool isUtf16File(std::string_view bytes) {
    return bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
}

// Rewrites `file` as UTF-16LE with its mark, whole and in one step, so that a
// value the code page lacks can be stored; a missing file becomes the mark
// alone. False when the file cannot be read or replaced; it is then unchanged.
bool makeUnicodeFile(const std::string& file) {
    const WholeFile whole = readWholeFile(file);
    if (whole.status == WholeFile::Status::Failed) {
        return false;
    }
    std::wstring text;
    if (whole.status == WholeFile::Status::Read) {
        const std::string_view bytes = whole.bytes;
        if (isUtf16File(bytes)) {
            return true;
        }
        // A UTF-8 mark says what the rest is; otherwise it is the code page's text.
        text = bytes.substr(0, 3) == "\xEF\xBB\xBF" ? win32::wideFromUtf8(bytes.substr(3))
                                                    : win32::wideFromUtf8(win32::utf8FromAnsi(bytes));
    }
    std::string utf16 = "\xFF\xFE";
    utf16.reserve(2 + text.size() * 2);
    for (const wchar_t unit : text) {
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>((unit >> 8) & 0xFF);
    }
    return replaceWholeFile(file, utf16);
}

} // namespace

// The real profile functions in their wide form: a watched path with
// characters outside the ANSI code page is kept as it is.
std::string getProfileString(const std::string& section, const std::string& key, const std::string& defaultText,
                             std::size_t bufferSize, const std::string& file) {
    if (bufferSize == 0) {
        return {};
    }
    try {
        std::vector<wchar_t> buffer(bufferSize, L'\0');
        const auto size = static_cast<DWORD>(bufferSize > 0x7FFFFFFFU ? 0x7FFFFFFFU : bufferSize);
        const auto copied = ::GetPrivateProfileStringW(
            win32::wideFromUtf8(section).c_str(), win32::wideFromUtf8(key).c_str(),
            win32::wideFromUtf8(defaultText).c_str(), buffer.data(), size, win32::wideFromUtf8(file).c_str());
        return win32::utf8FromWide(std::wstring_view(buffer.data(), copied < size ? copied : size - 1));
    } catch (...) {
        platform::trailCurrentException();
        return {};
    }
}

bool writeProfileString(const std::string& section, const std::string& key, const std::string& value,
                        const std::string& file) {
    try {
        const std::wstring wideFile = win32::wideFromUtf8(file);
        // Windows refuses to write a read-only file, but Wine run by root writes it anyway: checking the
        // attribute first keeps a write-protected settings file unchanged in both.
        const auto attributes = ::GetFileAttributesW(wideFile.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            return false;
        }
        const std::wstring wideSection = win32::wideFromUtf8(section);
        const std::wstring wideKey = win32::wideFromUtf8(key);
        // Windows drops blanks and quotes around a value when it reads it: written inside quotes, it keeps them.
        const std::wstring wideValue = win32::wideFromUtf8(ini::valueAsWritten(value));
        // An ANSI file would keep a "?" in place of such a character.
        if (!win32::fitsAnsiCodePage(wideSection + wideKey + wideValue) && !makeUnicodeFile(file)) {
            return false;
        }
        return ::WritePrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), wideValue.c_str(),
                                            wideFile.c_str()) != 0;
    } catch (...) {
        platform::trailCurrentException();
        return false;
    }
}

} // namespace platform
