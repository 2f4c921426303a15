#pragma once
// Number conversions with the classic runtime's rules: text to number in the
// user's locale, rounding an exact half to the even neighbour, range checks
// for 16- and 32-bit targets, and the shortest general number form.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace convert {

// Rounds to `places` decimal places (negative: to tens, hundreds, ...); an
// exact half goes to the even last digit. A result beyond the range of a
// double leaves the value as it is.
double roundHalfEven(double value, int places = 0);

// A decimal number written with `decimalSeparator` (and no thousands
// separators): optional blanks around it, an optional sign, digits with an
// optional fraction, an optional exponent. nullopt for anything else,
// including an empty text and a number beyond the range of a double.
std::optional<double> parseNumber(std::string_view text, std::string_view decimalSeparator);
// The same with the user's decimal separator.
std::optional<double> parseNumber(std::string_view text);

// The value rounded half to even to a whole number, if that fits the target.
std::optional<std::int16_t> toInt16(double value);
std::optional<std::int32_t> toInt32(double value);

// Text to a whole number of the target's width, rounding a fraction half to
// even; nullopt when the text is no number or the result does not fit.
std::optional<std::int16_t> textToInt16(std::string_view text);
std::optional<std::int32_t> textToInt32(std::string_view text);

// The shortest general form: at most 15 significant digits, no trailing zeros,
// no thousands separators, `decimalSeparator` before a fraction, no fraction
// part for a whole number. For every finite value the text reads back with
// parseNumber.
std::string formatGeneral(double value, std::string_view decimalSeparator);
// The same with the user's decimal separator.
std::string formatGeneral(double value);

} // namespace convert
