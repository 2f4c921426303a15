#pragma once
// What the harnesses share: an input read as fields separated by NUL bytes
// (so that a seed is readable text with a NUL between its parts, and the
// fuzzer can move any boundary), and a property check that names what broke
// and the texts it broke on before it stops the run.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <string_view>

namespace fuzz {

class Fields {
public:
    Fields(const std::uint8_t* data, std::size_t size) : m_rest(reinterpret_cast<const char*>(data), size) {}

    // The next field; "" once the input is used up.
    std::string_view next() {
        const auto end = m_rest.find('\0');
        const auto field = m_rest.substr(0, end);
        m_rest.remove_prefix(end == std::string_view::npos ? m_rest.size() : end + 1);
        return field;
    }

    // The byte at `index` of a field, 0 past its end: a field of option bytes.
    static std::uint8_t byte(std::string_view field, std::size_t index) {
        return index < field.size() ? static_cast<std::uint8_t>(field[index]) : 0;
    }

private:
    std::string_view m_rest;
};

// A decimal separator for the number harnesses: the point, the comma or a
// multi-byte one (U+066B ARABIC DECIMAL SEPARATOR).
inline std::string_view decimalSeparator(std::uint8_t choice) {
    constexpr std::string_view separators[] = {".", ",", "\xD9\xAB"};
    return separators[choice % 3];
}

// The text with everything outside printable ASCII escaped, for a report.
inline std::string visible(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\\') {
            out += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        }
    }
    return out;
}

// Stops the run with a report when a property does not hold; libFuzzer then
// keeps the input that broke it.
inline void check(bool holds, const char* property, std::initializer_list<std::string_view> texts = {}) {
    if (holds) {
        return;
    }
    std::fprintf(stderr, "\nProperty broken: %s\n", property);
    for (const auto text : texts) {
        std::fprintf(stderr, "  \"%s\"\n", visible(text).c_str());
    }
    std::abort();
}

} // namespace fuzz
