#include "platform/locale.h"

#include "platform/win32/text.h"

#include <windows.h>

namespace platform {

NumberFormat userNumberFormat() {
    // Read on every call: the user may change the regional settings while the program runs.
    NumberFormat result;
    wchar_t separator[8] = {};
    if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) > 1) {
        result.decimalSeparator = win32::utf8FromWide(separator);
    }
    return result;
}

} // namespace platform
