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
    const double whole = RoundHalfEven(value);
    if (whole < static_cast<double>(std::numeric_limits<Int>::min()) ||
        whole > static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::nullopt;
    }
    return static_cast<Int>(whole);
}

} // namespace

double RoundHalfEven(double value, int places) {
    if (!std::isfinite(value)) {
        return value;
    }
    const double scale = std::pow(10.0, places);
    const double scaled = value * scale;
    if (!std::isfinite(scaled)) {
        return value;
    }
    // nearbyint follows the default rounding mode, which rounds ties to even.
    return std::nearbyint(scaled) / scale;
}

std::optional<double> ParseNumber(std::string_view text, std::string_view decimalSeparator) {
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

std::optional<double> ParseNumber(std::string_view text) {
    return ParseNumber(text, platform::userNumberFormat().decimalSeparator);
}

std::optional<std::int16_t> ToInt16(double value) {
    return toWhole<std::int16_t>(value);
}

std::optional<std::int32_t> ToInt32(double value) {
    return toWhole<std::int32_t>(value);
}

std::optional<std::int16_t> TextToInt16(std::string_view text) {
    const auto number = ParseNumber(text);
    return number ? ToInt16(*number) : std::nullopt;
}

std::optional<std::int32_t> TextToInt32(std::string_view text) {
    const auto number = ParseNumber(text);
    return number ? ToInt32(*number) : std::nullopt;
}

std::string FormatGeneral(double value, std::string_view decimalSeparator) {
    if (value == 0) {
        return "0"; // also for -0
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

std::string FormatGeneral(double value) {
    return FormatGeneral(value, platform::userNumberFormat().decimalSeparator);
}

} // namespace convert
