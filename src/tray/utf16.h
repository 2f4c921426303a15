#pragma once
// UTF-8 <-> UTF-16 for the notify-icon records, whose text fields hold UTF-16
// code units. Invalid input becomes U+FFFD rather than failing.

#include <string>
#include <string_view>

namespace tray {

std::u16string utf16FromUtf8(std::string_view text);
std::string utf8FromUtf16(std::u16string_view text);

} // namespace tray
