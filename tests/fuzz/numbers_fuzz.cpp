// The number conversions on any text and any double.
// Input: options NUL text. Option byte 0 chooses the decimal separator, bytes
// 1 and 2 the places to round to (-512 to 511). The text is parsed, and its
// first eight bytes are also taken as a double, so that every double is met.
//   - A parsed number is finite; the general form of any finite double reads
//     back to within its 15 digits.
//   - Rounding never gives NaN, moves a value by at most half a unit of the
//     last place, sends an exact half to the even neighbour and is stable.
//   - A whole-number conversion answers exactly when the rounded value fits.

#include "fuzzInput.h"

#include "common/convert.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

void checkGeneralForm(double value, std::string_view separator) {
    if (!std::isfinite(value)) {
        return;
    }
    const auto text = convert::formatGeneral(value, separator);
    const auto back = convert::parseNumber(text, separator);
    fuzz::check(back.has_value(), "the general form reads back", {text});
    const bool close = value == 0 ? *back == 0 : std::abs(*back - value) <= std::abs(value) * 1e-14;
    fuzz::check(close, "the general form keeps 15 digits", {text});
}

void checkRounding(double value, int places) {
    const double rounded = convert::roundHalfEven(value, places);
    const auto text = std::to_string(value) + " to " + std::to_string(places);
    if (!std::isfinite(value)) {
        fuzz::check(std::isnan(value) ? std::isnan(rounded) : rounded == value, "a non-finite value stays", {text});
        return;
    }
    fuzz::check(std::isfinite(rounded), "rounding a finite value gives a finite one", {text});
    const double unit = std::pow(10.0, -places);
    // Half a unit, and the error of the scaling on the way.
    const double slack = 0.5 * unit + 4 * std::numeric_limits<double>::epsilon() * std::abs(value) +
                         std::numeric_limits<double>::denorm_min();
    fuzz::check(std::abs(rounded - value) <= slack, "rounding moves a value by at most half a unit", {text});
    const double again = convert::roundHalfEven(rounded, places);
    fuzz::check(std::abs(again - rounded) <= 4 * std::numeric_limits<double>::epsilon() * std::abs(rounded),
                "rounding a rounded value keeps it", {text});
    if (places == 0 && value - std::floor(value) == 0.5) {
        fuzz::check(std::fmod(rounded, 2.0) == 0, "an exact half goes to the even neighbour", {text});
    }
}

template <typename Int>
void checkWhole(double value, std::optional<Int> (*convertTo)(double)) {
    const auto whole = convertTo(value);
    const auto text = std::to_string(value);
    if (!std::isfinite(value)) {
        fuzz::check(!whole, "no whole number for a non-finite value", {text});
        return;
    }
    // The lowest value is even and the highest odd: -32768.5 rounds into range, 32767.5 out of it.
    const double low = static_cast<double>(std::numeric_limits<Int>::min()) - 0.5;
    const double high = static_cast<double>(std::numeric_limits<Int>::max()) + 0.5;
    fuzz::check(whole.has_value() == (value >= low && value < high), "a whole number exactly when it fits", {text});
    if (whole) {
        const double distance = std::abs(static_cast<double>(*whole) - value);
        fuzz::check(distance < 0.5 || (distance == 0.5 && *whole % 2 == 0), "the nearest whole number, ties even",
                    {text});
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Fields in(data, size);
    const auto options = in.next();
    const auto text = in.next();
    const auto separator = fuzz::decimalSeparator(fuzz::Fields::byte(options, 0));
    const int places = ((fuzz::Fields::byte(options, 1) << 8) | fuzz::Fields::byte(options, 2)) % 1024 - 512;

    std::optional<double> raw;
    if (text.size() >= sizeof(double)) {
        double bits = 0;
        std::memcpy(&bits, text.data(), sizeof bits);
        raw = bits;
    }
    const auto parsed = convert::parseNumber(text, separator);
    if (parsed) {
        fuzz::check(std::isfinite(*parsed), "a parsed number is finite", {text});
    }
    for (const auto value : {parsed, raw}) {
        if (!value) {
            continue;
        }
        checkGeneralForm(*value, separator);
        checkRounding(*value, places);
        checkRounding(*value, 2);
        checkWhole<std::int16_t>(*value, convert::toInt16);
        checkWhole<std::int32_t>(*value, convert::toInt32);
    }
    return 0;
}
