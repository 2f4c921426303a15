#include "platform/locale.h"

#include <langinfo.h>
#include <locale.h>

namespace platform {

namespace {

struct UserLocale {
    NumberFormat number;
    DayHalfDesignators dayHalf{"AM", "PM"};
};

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
            result.dayHalf.beforeNoon = am;
        }
        if (const char* pm = ::nl_langinfo_l(PM_STR, user)) {
            result.dayHalf.afterNoon = pm;
        }
        ::freelocale(user);
        return result;
    }();
    return cached;
}

} // namespace

NumberFormat userNumberFormat() {
    return userLocale().number;
}

DayHalfDesignators userDayHalfDesignators() {
    return userLocale().dayHalf;
}

} // namespace platform
