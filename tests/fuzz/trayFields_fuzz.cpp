// The tray component's UTF-16 record fields and its menu. Input: options NUL
// text NUL menu steps. Option bytes: the byte limit for a wide field (two
// bytes), the Windows version (wide or narrow form).
//   - UTF-8 to UTF-16 and back is stable after one pass.
//   - A wide field holds the start of the text, never half a surrogate pair,
//     then NULs up to its limit; nothing past the limit changes.
//   - A narrow field holds the start of the text then blanks; the tooltip's
//     field the start of the text and its NUL, unless the text fills it.
//   - The tooltip reads back as the start of the text it was set to.
//   - After any steps, the default menu index is -1 or an item's.

#include "fuzzInput.h"

#include "support/fakeTray.h"
#include "tray/frmSysTray.h"
#include "tray/notifyIconProtocol.h"

namespace {

using fuzz::Fields;

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

// The field's units up to its first NUL must be the start of the text, not ending in half a pair.
template <typename Units>
std::size_t checkStartOfText(const Units& field, const std::u16string& text, std::string_view utf8, const char* what) {
    std::size_t kept = 0;
    while (kept < field.size() && field[kept] != u'\0') {
        ++kept;
    }
    const std::u16string start(field.begin(), field.begin() + static_cast<std::ptrdiff_t>(kept));
    fuzz::check(text.compare(0, kept, start) == 0, what, {utf8});
    fuzz::check(kept == 0 || !isHighSurrogate(start.back()), "never half a surrogate pair", {utf8});
    return kept;
}

void checkWideField(const std::u16string& text, std::string_view utf8, std::size_t limit) {
    std::array<std::uint8_t, 512> field;
    field.fill(0xA5);
    tray::CopyStringToBytes(text, field, limit);
    const std::size_t used = std::min(limit, field.size());
    std::u16string units;
    for (std::size_t i = 0; i + 1 < used; i += 2) {
        units += static_cast<char16_t>(field[i] | (field[i + 1] << 8));
    }
    const auto kept = checkStartOfText(units, text, utf8, "a wide field holds the start of the text");
    if (used >= 2) {
        fuzz::check(kept <= used / 2 - 1, "a wide field keeps room for its NUL", {utf8});
    }
    for (std::size_t i = 2 * kept; i < used; ++i) {
        fuzz::check(field[i] == 0, "a wide field is NUL up to its limit", {utf8});
    }
    for (std::size_t i = used; i < field.size(); ++i) {
        fuzz::check(field[i] == 0xA5, "nothing past the limit changes", {utf8});
    }
    if (used >= 2) {
        fuzz::check(tray::utf16FromUtf8(tray::wideFieldText(field)) == units.substr(0, kept),
                    "a wide field reads back as its text", {utf8});
    }
}

void checkNarrowFields(const std::u16string& text, std::string_view utf8) {
    std::array<char16_t, 64> title;
    tray::setFixedField(title, text);
    std::size_t kept = 0;
    while (kept < title.size() && kept < text.size() && title[kept] == text[kept]) {
        ++kept;
    }
    fuzz::check(kept + 1 >= std::min(text.size(), title.size()), "a narrow field holds the start of the text", {utf8});
    fuzz::check(kept == 0 || kept == text.size() || !isHighSurrogate(title[kept - 1]), "never half a surrogate pair",
                {utf8});
    for (std::size_t i = kept; i < title.size(); ++i) {
        fuzz::check(title[i] == u' ', "then blanks", {utf8});
    }

    std::array<char16_t, 128> tip;
    tray::setTerminatedField(tip, text);
    const auto tipKept = checkStartOfText(tip, text, utf8, "a tooltip field holds the start of the text");
    fuzz::check(tipKept == tip.size() || tipKept + 1 >= std::min(text.size(), tip.size()),
                "a tooltip field keeps all of the text that fits", {utf8});
}

void checkMenuAndTooltip(std::string_view utf8, std::string_view steps, std::uint32_t version) {
    testsupport::FakeTray fake;
    frmSysTray tray(fake, fake, [version] { return version; });
    tray.ToolTip(std::string(utf8));
    const auto wanted = tray::utf16FromUtf8(utf8);
    const auto tip = tray::utf16FromUtf8(tray.ToolTip());
    fuzz::check(wanted.compare(0, tip.size(), tip) == 0, "the tooltip reads back as the start of its text",
                {utf8, tray.ToolTip()});

    for (const char step : steps) {
        const auto byte = static_cast<std::uint8_t>(step);
        const auto items = static_cast<std::int32_t>(tray.menuItems().size());
        const std::int32_t index = (byte >> 2) % (items + 2) - 1;
        switch (byte & 3U) {
        case 0:
            tray.AddMenuItem("item", "key", (byte & 4U) != 0);
            break;
        case 1:
            tray.RemoveMenuItem(index);
            break;
        case 2:
            tray.DefaultMenuIndex(index);
            break;
        default:
            tray.ShowMenu();
            break;
        }
        const auto defaultIndex = tray.DefaultMenuIndex();
        fuzz::check(defaultIndex == -1 ||
                        (defaultIndex >= 0 && static_cast<std::size_t>(defaultIndex) < tray.menuItems().size()),
                    "the default menu index is -1 or an item's", {steps});
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fields in(data, size);
    const auto options = in.next();
    const auto utf8 = in.next();
    // Enough steps to build, cut and show a menu; more only slow the run down.
    const auto steps = in.next().substr(0, 64);
    const std::size_t limit = (Fields::byte(options, 0) << 8 | Fields::byte(options, 1)) % 600;
    // Windows 8 (NT 6.2, wide) or Windows Me (4.90, narrow).
    const std::uint32_t version = Fields::byte(options, 2) % 2 == 0 ? 0x23F00206U : 0xC0005A04U;

    const auto text = tray::utf16FromUtf8(utf8);
    const auto once = tray::utf8FromUtf16(text);
    fuzz::check(tray::utf8FromUtf16(tray::utf16FromUtf8(once)) == once, "UTF-8 to UTF-16 and back is stable",
                {utf8, once});

    checkWideField(text, utf8, limit);
    checkNarrowFields(text, utf8);
    checkMenuAndTooltip(utf8, steps, version);
    return 0;
}
