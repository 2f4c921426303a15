#include "platform/locale.h"

#include <langinfo.h>
#include <locale.h>

namespace platform {

NumberFormat userNumberFormat() {
    // Read from the user's environment locale rather than the process's
    // current C locale, which a toolkit may or may not have switched.
    static const NumberFormat format = [] {
        NumberFormat result;
        locale_t user = ::newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
        if (user == static_cast<locale_t>(nullptr)) {
            user = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
        }
        if (user != static_cast<locale_t>(nullptr)) {
            const char* radix = ::nl_langinfo_l(RADIXCHAR, user);
            if (radix != nullptr && *radix != '\0') {
                result.decimalSeparator = radix;
            }
            ::freelocale(user);
        }
        return result;
    }();
    return format;
}

} // namespace platform
