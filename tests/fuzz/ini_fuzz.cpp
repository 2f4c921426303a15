// The settings file's reader and writer on any text and any names and values.
// Input: text NUL section NUL key NUL value NUL second value.
//   - Reading never fails; a write is refused only for a stated reason.
//   - What is written reads back, and writing it again changes nothing.
//   - Every other key of the file keeps its value; a second value replaces
//     the first in place.
//   - New lines take the file's own line end and a byte-order mark stays first.

#include "fuzzInput.h"

#include "platform/portable/iniFile.h"

#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace {

using platform::ini::findValue;
using platform::ini::withValue;

constexpr std::string_view kBlanks = " \t\r\n\v\f\x1A";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string lower(std::string_view text) {
    std::string out(text);
    for (auto& c : out) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find_first_of("\r\n");
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(text.substr(end, 2) == "\r\n" ? end + 2 : end + 1);
    }
    return lines;
}

// Every section and key name that some line of the text spells, as probes.
std::vector<std::pair<std::string_view, std::string_view>> namesIn(std::string_view text) {
    std::vector<std::pair<std::string_view, std::string_view>> names;
    std::optional<std::string_view> section;
    for (auto line : linesOf(text)) {
        line = trimmed(line);
        if (line.starts_with('[') && line.rfind(']') != std::string_view::npos) {
            section = line.substr(1, line.rfind(']') - 1);
        } else if (section && !line.empty()) {
            names.emplace_back(*section, line.substr(0, line.find('=')));
        }
    }
    return names;
}

// Which line ends a text holds: CR LF, CR alone, LF alone.
std::set<std::string_view> lineEnds(std::string_view text) {
    std::set<std::string_view> ends;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, 2) == "\r\n") {
            ends.insert("\r\n");
            ++i;
        } else if (text[i] == '\r' || text[i] == '\n') {
            ends.insert(text.substr(i, 1));
        }
    }
    return ends;
}

std::size_t lineCount(std::string_view text) {
    return linesOf(text).size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Fields in(data, size);
    const auto text = in.next();
    const auto section = in.next();
    const auto key = in.next();
    const auto value = in.next();
    const auto second = in.next();

    const auto before = findValue(text, section, key);
    const auto written = withValue(text, section, key, value);
    if (!written) {
        const bool stated = hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value) ||
                            trimmed(section).find(']') != std::string_view::npos ||
                            trimmed(key).find('=') != std::string_view::npos || trimmed(key).starts_with('[');
        fuzz::check(stated, "a write is refused only when it could not be read back", {section, key, value});
        return 0;
    }
    const auto& after = *written;
    fuzz::check(findValue(after, section, key) == std::string(value), "what is written reads back",
                {text, section, key, value, after});
    fuzz::check(withValue(after, section, key, value) == after, "writing the same value again changes nothing",
                {text, section, key, value, after});

    const auto sectionName = lower(trimmed(section));
    const auto keyName = lower(trimmed(key));
    for (const auto& [otherSection, otherKey] : namesIn(text)) {
        if (lower(trimmed(otherSection)) == sectionName && lower(trimmed(otherKey)) == keyName) {
            continue;
        }
        fuzz::check(findValue(after, otherSection, otherKey) == findValue(text, otherSection, otherKey),
                    "other keys keep their values", {text, section, key, value, otherSection, otherKey});
    }

    auto ends = lineEnds(text);
    if (ends.empty()) {
        ends.insert("\r\n");
    }
    for (const auto end : lineEnds(after)) {
        fuzz::check(ends.count(end) == 1, "new lines take the file's own line end", {text, section, key, value, after});
    }
    if (text.starts_with(kByteOrderMark)) {
        fuzz::check(after.starts_with(kByteOrderMark), "a byte-order mark stays first", {text, after});
    }
    fuzz::check(lineCount(after) <= lineCount(text) + 2, "a write adds at most a header and a key line", {text, after});

    if (!hasLineBreak(second)) {
        const auto replaced = withValue(after, section, key, second);
        fuzz::check(replaced && findValue(*replaced, section, key) == std::string(second) &&
                        lineCount(*replaced) == lineCount(after),
                    "a second value replaces the first in place", {after, section, key, second});
    }

    // A value cut to a buffer keeps whole characters: a prefix, never more characters than asked.
    if (before) {
        const auto cut = platform::ini::firstChars(*before, value.size());
        fuzz::check(std::string_view(*before).starts_with(cut), "a cut value is a prefix", {*before, cut});
        std::size_t characters = 0;
        for (const char c : cut) {
            characters += (static_cast<unsigned char>(c) & 0xC0U) != 0x80U ? 1 : 0;
        }
        fuzz::check(characters <= value.size(), "a cut value keeps at most the characters asked for", {*before, cut});
    }
    return 0;
}
