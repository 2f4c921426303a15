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

DateFormat userDateFormat() {
    return {userLocaleText(LOCALE_SNAME), userLocaleText(LOCALE_SSHORTDATE), userLocaleText(LOCALE_STIMEFORMAT),
            userDayHalfDesignators()};
}

namespace {

// The time picture with its day-half markers ("t", "tt") written out as
// quoted text: GetTimeFormatEx would take the designators the user has now,
// and a date written with an earlier format must keep the earlier ones.
std::wstring withDesignator(const std::wstring& picture, const std::wstring& designator) {
    std::wstring result;
    bool quoted = false;
    for (std::size_t at = 0; at < picture.size(); ++at) {
        const wchar_t c = picture[at];
        if (c == L'\'') {
            quoted = !quoted;
        }
        if (quoted || c != L't') {
            result += c;
            continue;
        }
        std::size_t run = 1;
        while (at + run < picture.size() && picture[at + run] == L't') {
            ++run;
        }
        at += run - 1;
        const std::wstring marker = run == 1 ? designator.substr(0, 1) : designator;
        if (marker.empty()) {
            continue; // '' would be a quote mark
        }
        result += L'\'';
        for (const wchar_t m : marker) {
            result += m == L'\'' ? std::wstring(L"''") : std::wstring(1, m);
        }
        result += L'\'';
    }
    return result;
}

} // namespace

std::string generalDateText(const LocalDateTime& time, const DateFormat& format) {
    SYSTEMTIME parts{};
    parts.wYear = static_cast<WORD>(time.year);
    parts.wMonth = static_cast<WORD>(time.month);
    parts.wDay = static_cast<WORD>(time.day);
    parts.wHour = static_cast<WORD>(time.hour);
    parts.wMinute = static_cast<WORD>(time.minute);
    parts.wSecond = static_cast<WORD>(time.second);
    const std::wstring locale = win32::wideFromUtf8(format.locale);
    const wchar_t* name = locale.empty() ? LOCALE_NAME_USER_DEFAULT : locale.c_str();
    // An empty picture (the locale could not be read) leaves the user's own.
    const std::wstring shortDate = win32::wideFromUtf8(format.shortDate);
    wchar_t date[128] = {};
    wchar_t clock[128] = {};
    if (::GetDateFormatEx(name, shortDate.empty() ? DATE_SHORTDATE : 0, &parts,
                          shortDate.empty() ? nullptr : shortDate.c_str(), date, 128, nullptr) == 0) {
        return {};
    }
    if (time.hour == 0 && time.minute == 0 && time.second == 0) {
        return win32::utf8FromWide(date);
    }
    const std::wstring longTime =
        withDesignator(win32::wideFromUtf8(format.longTime),
                       win32::wideFromUtf8(time.hour < 12 ? format.dayHalf.beforeNoon : format.dayHalf.afterNoon));
    if (::GetTimeFormatEx(name, 0, &parts, format.longTime.empty() ? nullptr : longTime.c_str(), clock, 128) == 0) {
        return {};
    }
    return win32::utf8FromWide(date) + " " + win32::utf8FromWide(clock);
}

std::string generalDateText(const LocalDateTime& time) {
    return generalDateText(time, userDateFormat());
}

} // namespace platform
