#pragma once
// Conversions between the core's UTF-8 text, Windows' UTF-16 and the system's
// ANSI code page, for the Win32 calls that take one or the other.

#include <string>
#include <string_view>

namespace platform::win32 {

std::wstring wideFromUtf8(std::string_view text);
std::string utf8FromWide(std::wstring_view text);
// Characters the ANSI code page lacks become the code page's default character.
std::string ansiFromUtf8(std::string_view text);
std::string utf8FromAnsi(std::string_view text);
// Whether the ANSI code page has every character of `text`, each as itself
// (no best-fit stand-in).
bool fitsAnsiCodePage(std::wstring_view text);

} // namespace platform::win32
