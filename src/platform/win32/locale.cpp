#include "platform/locale.h"

#include "platform/win32/text.h"

#include <windows.h>

namespace platform {

namespace {

std::string userLocaleText(LCTYPE item) {
    wchar_t text[128] = {};
    const int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, text, 128);
    return length > 1 ? win32::utf8FromWide(text) : std::string();
}

} // namespace

// Read on every call: the user may change the regional settings while the program runs.

NumberFormat userNumberFormat() {
    NumberFormat result;
    if (auto separator = userLocaleText(LOCALE_SDECIMAL); !separator.empty()) {
        result.decimalSeparator = std::move(separator);
    }
    return result;
}

DayHalfDesignators userDayHalfDesignators() {
    return {userLocaleText(LOCALE_S1159), userLocaleText(LOCALE_S2359)};
}

} // namespace platform
