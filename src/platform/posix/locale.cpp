#include "platform/locale.h"

#include "platform/clock.h"

#include <ctime>
#include <langinfo.h>
#include <locale.h>

#include <string_view>

namespace platform {

namespace {

struct UserLocale {
    NumberFormat number;
    DateFormat date{"", "%Y-%m-%d", "%H:%M:%S", {"AM", "PM"}};
    locale_t handle = static_cast<locale_t>(nullptr); // kept for formatting, never freed
};

bool isPlainCLocale(std::string_view name) {
    return name.empty() || name == "C" || name == "POSIX" || name.starts_with("C.");
}

// A two-digit year makes a log that outlives a century ambiguous: widen it.
std::string withFullYear(std::string format) {
    for (std::size_t at = format.find("%y"); at != std::string::npos; at = format.find("%y", at)) {
        format[at + 1] = 'Y';
    }
    return format;
}

// Read from the user's environment locale rather than the process's current
// C locale, which a toolkit may or may not have switched. The environment
// does not change while the program runs, so it is read once.
const UserLocale& userLocale() {
    static const UserLocale cached = [] {
        UserLocale result;
        locale_t user = ::newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
        if (user == static_cast<locale_t>(nullptr)) {
            return result;
        }
        if (const char* radix = ::nl_langinfo_l(RADIXCHAR, user); radix != nullptr && *radix != '\0') {
            result.number.decimalSeparator = radix;
        }
        if (const char* am = ::nl_langinfo_l(AM_STR, user)) {
            result.date.dayHalf.beforeNoon = am;
        }
        if (const char* pm = ::nl_langinfo_l(PM_STR, user)) {
            result.date.dayHalf.afterNoon = pm;
        }
        // The plain C locale states no preference of the user's; its US-style
        // dates with two-digit years are replaced by ISO dates.
        const char* timeLocale = ::nl_langinfo_l(_NL_LOCALE_NAME(LC_TIME), user);
        if (!isPlainCLocale(timeLocale != nullptr ? timeLocale : "")) {
            result.date.locale = timeLocale;
            if (const char* date = ::nl_langinfo_l(D_FMT, user); date != nullptr && *date != '\0') {
                result.date.shortDate = withFullYear(date);
            }
            if (const char* time = ::nl_langinfo_l(T_FMT, user); time != nullptr && *time != '\0') {
                result.date.longTime = time;
            }
        }
        result.handle = user;
        return result;
    }();
    return cached;
}

} // namespace

NumberFormat userNumberFormat() {
    return userLocale().number;
}

DayHalfDesignators userDayHalfDesignators() {
    return userLocale().date.dayHalf;
}

DateFormat userDateFormat() {
    return userLocale().date;
}

std::string generalDateText(const LocalDateTime& time) {
    return generalDateText(time, userLocale().date);
}

// The environment's locale is the only one this process reads, so its handle
// gives the names of months and days for every format value.
std::string generalDateText(const LocalDateTime& time, const DateFormat& format) {
    const auto& locale = userLocale();
    std::tm parts{};
    parts.tm_year = time.year - 1900;
    parts.tm_mon = time.month - 1;
    parts.tm_mday = time.day;
    parts.tm_hour = time.hour;
    parts.tm_min = time.minute;
    parts.tm_sec = time.second;
    parts.tm_isdst = -1;
    std::tm normalised = parts;
    if (::timegm(&normalised) != -1) {
        parts.tm_wday = normalised.tm_wday; // for formats that name the weekday
        parts.tm_yday = normalised.tm_yday;
    }
    const bool midnight = time.hour == 0 && time.minute == 0 && time.second == 0;
    const std::string picture = midnight ? format.shortDate : format.shortDate + " " + format.longTime;
    char text[256];
    const std::size_t length = locale.handle != static_cast<locale_t>(nullptr)
                                   ? ::strftime_l(text, sizeof text, picture.c_str(), &parts, locale.handle)
                                   : std::strftime(text, sizeof text, picture.c_str(), &parts);
    return std::string(text, length);
}

} // namespace platform
