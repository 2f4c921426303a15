#include "platform/portable/iniFile.h"

#include "platform/wholeFile.h"

#include <vector>

namespace platform::ini {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
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
    enum class Kind { Other, Blank, Header, Key };
    std::size_t begin = 0;      // first byte of the line in the text
    std::size_t contentEnd = 0; // where its line end (CR LF or LF) starts
    std::size_t end = 0;        // first byte after its line end
    Kind kind = Kind::Other;
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // key value, trimmed, quotes still on
};

Line classify(std::string_view text, std::size_t begin) {
    Line line;
    line.begin = begin;
    const auto newline = text.find('\n', begin);
    line.end = newline == std::string_view::npos ? text.size() : newline + 1;
    line.contentEnd = newline == std::string_view::npos ? text.size() : newline;
    if (line.contentEnd > begin && text[line.contentEnd - 1] == '\r' && newline != std::string_view::npos) {
        --line.contentEnd;
    }
    auto content = text.substr(begin, line.contentEnd - begin);
    if (begin == 0 && content.starts_with(kUtf8Bom)) {
        content.remove_prefix(kUtf8Bom.size());
    }
    const auto body = trimmed(content);
    if (body.empty()) {
        line.kind = Line::Kind::Blank;
    } else if (body.front() == '[') {
        const auto close = body.find(']');
        if (close != std::string_view::npos) {
            line.kind = Line::Kind::Header;
            line.name = trimmed(body.substr(1, close - 1));
        }
    } else if (const auto equals = body.find('='); equals != std::string_view::npos) {
        line.kind = Line::Kind::Key;
        line.name = trimmed(body.substr(0, equals));
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
// lines, first being its header (or 0 for the lines before any header).
struct SectionRange {
    std::size_t first = 0;
    std::size_t last = 0;
    bool hasHeader = false;
};

std::optional<SectionRange> findSection(const std::vector<Line>& lines, std::string_view section) {
    std::optional<SectionRange> found;
    if (section.empty()) {
        found = SectionRange{};
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != Line::Kind::Header) {
            continue;
        }
        if (found) {
            found->last = i;
            return found;
        }
        if (sameName(lines[i].name, section)) {
            found = SectionRange{i, lines.size(), true};
        }
    }
    if (found) {
        found->last = lines.size();
    }
    return found;
}

std::optional<std::size_t> findKey(const std::vector<Line>& lines, const SectionRange& range, std::string_view key) {
    for (auto i = range.first; i < range.last; ++i) {
        if (lines[i].kind == Line::Kind::Key && sameName(lines[i].name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

std::string_view unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// New lines take the line end of the file's first line; CR LF in a file that has none yet.
std::string_view lineEndOf(std::string_view text) {
    const auto newline = text.find('\n');
    if (newline != std::string_view::npos && (newline == 0 || text[newline - 1] != '\r')) {
        return "\n";
    }
    return "\r\n";
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

std::optional<std::string> findValue(std::string_view text, std::string_view section, std::string_view key) {
    const auto lines = splitLines(text);
    const auto range = findSection(lines, section);
    if (!range) {
        return std::nullopt;
    }
    const auto index = findKey(lines, *range, key);
    if (!index) {
        return std::nullopt;
    }
    return std::string(unquoted(lines[*index].value));
}

std::optional<std::string> withValue(std::string_view text, std::string_view section, std::string_view key,
                                     std::string_view value) {
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value) ||
        section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos) {
        return std::nullopt;
    }
    while (!value.empty() && isBlank(value.front())) {
        value.remove_prefix(1);
    }
    const auto eol = lineEndOf(text);
    const auto lines = splitLines(text);
    const auto range = findSection(lines, section);
    std::string result;
    result.reserve(text.size() + section.size() + key.size() + value.size() + 8);

    if (range) {
        if (const auto index = findKey(lines, *range, key)) {
            // Rewrite the key's line, keeping the spelling of its name and its own line end.
            const auto& line = lines[*index];
            result.append(text.substr(0, line.begin));
            if (line.begin == 0 && text.starts_with(kUtf8Bom)) {
                result.append(kUtf8Bom);
            }
            result.append(line.name).append("=").append(value);
            result.append(line.end > line.contentEnd ? text.substr(line.contentEnd, line.end - line.contentEnd) : eol);
            result.append(text.substr(line.end));
            return result;
        }
        // After the section's last non-blank line, so that blank lines before the next header stay there.
        std::size_t at = range->first;
        std::size_t insertAt = range->hasHeader ? lines[at].end : 0;
        for (; at < range->last; ++at) {
            if (lines[at].kind != Line::Kind::Blank) {
                insertAt = lines[at].end;
            }
        }
        result.append(text.substr(0, insertAt));
        if (!result.empty() && result.back() != '\n') {
            result.append(eol);
        }
        result.append(key).append("=").append(value).append(eol);
        result.append(text.substr(insertAt));
        return result;
    }

    result.append(text);
    if (!result.empty() && result.back() != '\n') {
        result.append(eol);
    }
    result.append("[").append(section).append("]").append(eol);
    result.append(key).append("=").append(value).append(eol);
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
        return firstChars(value ? *value : defaultText, bufferSize - 1);
    } catch (...) {
        return firstChars(defaultText, bufferSize - 1);
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
        return false;
    }
}

} // namespace platform::ini
