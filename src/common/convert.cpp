#include "common/convert.h"

#include "platform/locale.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace convert {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

template <typename Int>
std::optional<Int> toWhole(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const double whole = roundHalfEven(value);
    if (whole < static_cast<double>(std::numeric_limits<Int>::min()) ||
        whole > static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::nullopt;
    }
    return static_cast<Int>(whole);
}

} // namespace

double roundHalfEven(double value, int places) {
    if (!std::isfinite(value)) {
        return value;
    }
    // A power of ten up to 1e22 is exact and its inverse is not, so negative
    // places divide by 10^-places rather than multiply by 10^places.
    const double scale = std::pow(10.0, places < 0 ? -static_cast<double>(places) : static_cast<double>(places));
    if (!std::isfinite(scale)) {
        // More places than any double has digits, or a unit beyond the largest double.
        return places > 0 ? value : std::copysign(0.0, value);
    }
    const double scaled = places < 0 ? value / scale : value * scale;
    if (!std::isfinite(scaled)) {
        return value;
    }
    // nearbyint follows the default rounding mode, which rounds ties to even.
    const double rounded = places < 0 ? std::nearbyint(scaled) * scale : std::nearbyint(scaled) / scale;
    // Rounded up past the largest double: the value stays as it is.
    return std::isfinite(rounded) ? rounded : value;
}

std::optional<double> parseNumber(std::string_view text, std::string_view decimalSeparator) {
    text = trimBlanks(text);
    // Rewritten into the C form that from_chars reads, checking the grammar on the way.
    std::string plain;
    plain.reserve(text.size());
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') {
            plain += '-';
        }
        ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        plain += text[i++];
        ++digits;
    }
    if (!decimalSeparator.empty() && text.substr(i).starts_with(decimalSeparator)) {
        i += decimalSeparator.size();
        plain += '.';
        while (i < text.size() && isDigit(text[i])) {
            plain += text[i++];
            ++digits;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            plain += text[i++];
        }
        std::size_t exponentDigits = 0;
        while (i < text.size() && isDigit(text[i])) {
            plain += text[i++];
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return std::nullopt;
        }
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (ec != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseNumber(std::string_view text) {
    return parseNumber(text, platform::userNumberFormat().decimalSeparator);
}

std::optional<std::int16_t> toInt16(double value) {
    return toWhole<std::int16_t>(value);
}

std::optional<std::int32_t> toInt32(double value) {
    return toWhole<std::int32_t>(value);
}

std::optional<std::int16_t> textToInt16(std::string_view text) {
    const auto number = parseNumber(text);
    return number ? toInt16(*number) : std::nullopt;
}

std::optional<std::int32_t> textToInt32(std::string_view text) {
    const auto number = parseNumber(text);
    return number ? toInt32(*number) : std::nullopt;
}

std::string formatGeneral(double value, std::string_view decimalSeparator) {
    if (value == 0) {
        return "0"; // also for -0
    }
    // Rounded to 15 digits, the doubles closest to the largest one would give
    // 1.79769313486232e+308, beyond the range of a double: they keep the
    // largest 15-digit number there is, so that the text reads back.
    constexpr double kLargest15Digits = 1.79769313486231e308;
    if (std::abs(value) > kLargest15Digits) {
        value = std::copysign(kLargest15Digits, value);
    }
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    if (ec != std::errc()) {
        return {};
    }
    std::string result;
    for (const char* p = buffer; p != end; ++p) {
        if (*p == '.') {
            result += decimalSeparator;
        } else {
            result += *p;
        }
    }
    return result;
}

std::string formatGeneral(double value) {
    return formatGeneral(value, platform::userNumberFormat().decimalSeparator);
}

} // namespace convert
