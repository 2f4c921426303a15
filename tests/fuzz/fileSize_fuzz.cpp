// The size text on any text. Input: options NUL text; option byte 0 chooses
// the decimal separator.
//   - Text that is no number comes back as it is; a number up to 1024 gets
//     " bytes" behind the text itself.
//   - A larger number is shown in the unit its size calls for, as a number
//     that reads back and lies within rounding of the count in that unit.

#include "fuzzInput.h"

#include "common/convert.h"
#include "watch/modSentrel.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    struct Unit {
        double divisor;
        std::string_view word;
    };
    static constexpr Unit kUnits[] = {{1073741824.0, " gb"}, {1048576.0, " mb"}, {1024.0, " kb"}};
    fuzz::Fields in(data, size);
    const auto options = in.next();
    const auto text = in.next();
    const auto separator = fuzz::decimalSeparator(fuzz::Fields::byte(options, 0));

    const auto shown = modSentrel::FormatFileSize(text, separator);
    const auto number = convert::parseNumber(text, separator);
    if (!number) {
        fuzz::check(shown == text, "text that is no number comes back as it is", {text, shown});
        return 0;
    }
    if (*number <= 1024) {
        fuzz::check(shown == std::string(text) + " bytes", "up to 1024 the count itself in bytes", {text, shown});
        return 0;
    }
    const Unit* unit = nullptr;
    for (const auto& candidate : kUnits) {
        if (*number > candidate.divisor) {
            unit = &candidate;
            break;
        }
    }
    fuzz::check(std::string_view(shown).ends_with(unit->word), "the unit its size calls for", {text, shown});
    const auto part = std::string_view(shown).substr(0, shown.size() - unit->word.size());
    const auto value = convert::parseNumber(part, separator);
    fuzz::check(value.has_value(), "the number shown reads back", {text, shown});
    const double exact = *number / unit->divisor;
    fuzz::check(std::abs(*value - exact) <= 0.005 + 1e-14 * exact, "the number shown is the count rounded to 2 places",
                {text, shown});
    // Sizes just under the next unit show as 1024, the rounding rule's own result.
    fuzz::check(*value >= 1 && (unit->word == " gb" || *value <= 1024), "the number shown lies in its unit's range",
                {text, shown});
    return 0;
}
