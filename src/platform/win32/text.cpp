#include "platform/win32/text.h"

#include <windows.h>

namespace platform::win32 {

namespace {

std::wstring toWide(UINT codePage, std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(), length);
    }
    return result;
}

std::string fromWide(UINT codePage, std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int length =
        ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(), length, nullptr,
                              nullptr);
    }
    return result;
}

} // namespace

std::wstring wideFromUtf8(std::string_view text) {
    return toWide(CP_UTF8, text);
}

std::string utf8FromWide(std::wstring_view text) {
    return fromWide(CP_UTF8, text);
}

std::string ansiFromUtf8(std::string_view text) {
    return fromWide(CP_ACP, wideFromUtf8(text));
}

std::string utf8FromAnsi(std::string_view text) {
    return utf8FromWide(toWide(CP_ACP, text));
}

bool fitsAnsiCodePage(std::wstring_view text) {
    if (text.empty() || ::GetACP() == CP_UTF8) {
        return true;
    }
    BOOL usedDefault = FALSE;
    const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                             nullptr, 0, nullptr, &usedDefault);
    return length > 0 && !usedDefault;
}

} // namespace platform::win32
