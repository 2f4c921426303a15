#include "platform/locale.h"

#include "platform/clock.h"
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

std::string generalDateText(const LocalDateTime& time) {
    SYSTEMTIME parts{};
    parts.wYear = static_cast<WORD>(time.year);
    parts.wMonth = static_cast<WORD>(time.month);
    parts.wDay = static_cast<WORD>(time.day);
    parts.wHour = static_cast<WORD>(time.hour);
    parts.wMinute = static_cast<WORD>(time.minute);
    parts.wSecond = static_cast<WORD>(time.second);
    wchar_t date[128] = {};
    wchar_t clock[128] = {};
    if (::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &parts, nullptr, date, 128, nullptr) == 0) {
        return {};
    }
    if (time.hour == 0 && time.minute == 0 && time.second == 0) {
        return win32::utf8FromWide(date);
    }
    if (::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &parts, nullptr, clock, 128) == 0) {
        return {};
    }
    return win32::utf8FromWide(date) + " " + win32::utf8FromWide(clock);
}

} // namespace platform
