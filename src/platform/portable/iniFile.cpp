#include "platform/portable/iniFile.h"

#include "platform/trail.h"
#include "platform/wholeFile.h"

#include <vector>

namespace platform::ini {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The C locale's white space, and Ctrl-Z, an old end-of-file mark that the
// Windows profile functions count as a blank too.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1A';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

struct Line {
    enum class Kind { Blank, Header, Key };
    std::size_t begin = 0;      // first byte of the line in the text
    std::size_t contentEnd = 0; // where its line end (CR, LF or CR LF) starts
    std::size_t end = 0;        // first byte after its line end
    Kind kind = Kind::Blank;
    std::string_view name;                 // section or key name, trimmed
    std::optional<std::string_view> value; // key value, trimmed, quotes still on; none without "="
};

Line classify(std::string_view text, std::size_t begin) {
    Line line;
    line.begin = begin;
    const auto lineEnd = text.find_first_of("\r\n", begin);
    if (lineEnd == std::string_view::npos) {
        line.contentEnd = line.end = text.size();
    } else {
        line.contentEnd = lineEnd;
        line.end = text.substr(lineEnd, 2) == "\r\n" ? lineEnd + 2 : lineEnd + 1;
    }
    auto content = text.substr(begin, line.contentEnd - begin);
    if (begin == 0 && content.starts_with(kUtf8Bom)) {
        content.remove_prefix(kUtf8Bom.size());
    }
    const auto body = trimmed(content);
    if (body.empty()) {
        return line;
    }
    if (const auto close = body.rfind(']'); body.front() == '[' && close != std::string_view::npos) {
        line.kind = Line::Kind::Header;
        line.name = trimmed(body.substr(1, close - 1));
        return line;
    }
    line.kind = Line::Kind::Key;
    const auto equals = body.find('=');
    line.name = trimmed(body.substr(0, equals));
    if (equals != std::string_view::npos) {
        line.value = trimmed(body.substr(equals + 1));
    }
    return line;
}

std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    for (std::size_t at = 0; at < text.size();) {
        lines.push_back(classify(text, at));
        at = lines.back().end;
    }
    return lines;
}

// The lines of the first section called `section`: [first, last) indexes into
// lines, first being its header.
struct SectionRange {
    std::size_t first = 0;
    std::size_t last = 0;
};

std::optional<SectionRange> findSection(const std::vector<Line>& lines, std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == Line::Kind::Header && sameName(lines[i].name, section)) {
            auto last = i + 1;
            while (last < lines.size() && lines[last].kind != Line::Kind::Header) {
                ++last;
            }
            return SectionRange{i, last};
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> findKey(const std::vector<Line>& lines, const SectionRange& range, std::string_view key) {
    for (auto i = range.first + 1; i < range.last; ++i) {
        if (lines[i].kind == Line::Kind::Key && sameName(lines[i].name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

std::string_view unquoted(std::string_view value) {
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// New lines take the line end of the file's first line; CR LF in a file that has none yet.
std::string_view lineEndOf(std::string_view text) {
    const auto lineEnd = text.find_first_of("\r\n");
    if (lineEnd == std::string_view::npos || text.substr(lineEnd, 2) == "\r\n") {
        return "\r\n";
    }
    return text[lineEnd] == '\r' ? "\r" : "\n";
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// Text that a new line can follow directly: nothing, a byte-order mark alone, or a complete last line.
bool endsAtLineStart(std::string_view text) {
    return text.empty() || text == kUtf8Bom || text.back() == '\n' || text.back() == '\r';
}

} // namespace

std::optional<std::string> findValue(std::string_view text, std::string_view section, std::string_view key) {
    const auto lines = splitLines(text);
    const auto range = findSection(lines, trimmed(section));
    if (!range) {
        return std::nullopt;
    }
    const auto index = findKey(lines, *range, trimmed(key));
    if (!index || !lines[*index].value) {
        return std::nullopt;
    }
    return std::string(unquoted(*lines[*index].value));
}

std::string valueAsWritten(std::string_view value) {
    const bool changedByReading =
        !value.empty() && (isBlank(value.front()) || isBlank(value.back()) || unquoted(value).size() != value.size());
    if (!changedByReading) {
        return std::string(value);
    }
    std::string quoted;
    quoted.reserve(value.size() + 2);
    return quoted.append("\"").append(value).append("\"");
}

std::string defaultAsRead(std::string_view defaultText) {
    while (defaultText.size() > 1 && defaultText.back() == ' ') {
        defaultText.remove_suffix(1);
    }
    return std::string(unquoted(defaultText));
}

std::optional<std::string> withValue(std::string_view text, std::string_view section, std::string_view key,
                                     std::string_view value) {
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value)) {
        return std::nullopt;
    }
    section = trimmed(section);
    key = trimmed(key);
    // Such a key line would read as a header, or its key would end at the "=".
    if (section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos ||
        key.starts_with('[')) {
        return std::nullopt;
    }
    const auto stored = valueAsWritten(value);
    const auto eol = lineEndOf(text);
    const auto lines = splitLines(text);
    const auto range = findSection(lines, section);
    std::string result;
    result.reserve(text.size() + section.size() + key.size() + stored.size() + 8);

    if (range) {
        if (const auto index = findKey(lines, *range, key)) {
            // Rewrite the key's line, keeping the spelling of its name and its own line end.
            const auto& line = lines[*index];
            result.append(text.substr(0, line.begin));
            result.append(line.name).append("=").append(stored);
            result.append(line.end > line.contentEnd ? text.substr(line.contentEnd, line.end - line.contentEnd) : eol);
            result.append(text.substr(line.end));
            return result;
        }
        // After the section's last non-blank line, so that blank lines before the next header stay there.
        std::size_t insertAt = lines[range->first].end;
        for (auto at = range->first + 1; at < range->last; ++at) {
            if (lines[at].kind != Line::Kind::Blank) {
                insertAt = lines[at].end;
            }
        }
        result.append(text.substr(0, insertAt));
        if (!endsAtLineStart(result)) {
            result.append(eol);
        }
        // A CR right before an LF would make one line end of the two and swallow the blank line
        // that follows; the file has LF line ends too, then.
        const auto rest = text.substr(insertAt);
        result.append(key).append("=").append(stored).append(eol == "\r" && rest.starts_with('\n') ? "\n" : eol);
        result.append(rest);
        return result;
    }

    result.append(text);
    if (!endsAtLineStart(result)) {
        result.append(eol);
    }
    result.append("[").append(section).append("]").append(eol);
    result.append(key).append("=").append(stored).append(eol);
    return result;
}

std::string firstChars(std::string_view text, std::size_t maxChars) {
    std::size_t at = 0;
    for (std::size_t count = 0; at < text.size() && count < maxChars; ++count) {
        ++at;
        // Continuation bytes (10xxxxxx) belong to the character just begun.
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0U) == 0x80U) {
            ++at;
        }
    }
    return std::string(text.substr(0, at));
}

std::string getString(const std::string& section, const std::string& key, const std::string& defaultText,
                      std::size_t bufferSize, const std::string& file) {
    if (bufferSize == 0) {
        return {};
    }
    try {
        const auto content = readWholeFile(file);
        std::optional<std::string> value;
        if (content.status == WholeFile::Status::Read) {
            value = findValue(content.bytes, section, key);
        }
        return firstChars(value ? *value : defaultAsRead(defaultText), bufferSize - 1);
    } catch (...) {
        platform::trailCurrentException();
        return {};
    }
}

bool writeString(const std::string& section, const std::string& key, const std::string& value,
                 const std::string& file) {
    try {
        const auto content = readWholeFile(file);
        if (content.status == WholeFile::Status::Failed) {
            // Whatever it holds must not be replaced by a file with just this key.
            return false;
        }
        const auto updated = withValue(content.bytes, section, key, value);
        if (!updated) {
            return false;
        }
        if (content.status == WholeFile::Status::Read && *updated == content.bytes) {
            return true;
        }
        return replaceWholeFile(file, *updated);
    } catch (...) {
        platform::trailCurrentException();
        return false;
    }
}

} // namespace platform::ini
