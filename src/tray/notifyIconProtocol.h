#pragma once
// The notify-icon protocol in one place: the callback message the shell sends
// to the tray's hidden window, the mouse and balloon messages that callback
// carries, and how texts are written into and read out of the records' fields.
// The tray component, every tray shell and the tests speak it through here.

#include "platform/notifyIcon.h"
#include "tray/utf16.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tray {

// The callback message the icon reports through: WM_MOUSEMOVE, so the actual
// message arrives where a mouse move carries its X position.
inline constexpr std::uint32_t kCallbackMessage = 512;
// The icon version set after the add on shell 5 (NOTIFYICON_VERSION).
inline constexpr std::uint32_t kNotifyIconVersion = 3;

// The messages a callback carries (the window and notify-icon message numbers).
namespace callback {
inline constexpr std::int32_t MouseMove = 512;        // WM_MOUSEMOVE
inline constexpr std::int32_t LeftButtonDown = 513;   // WM_LBUTTONDOWN
inline constexpr std::int32_t LeftButtonUp = 514;     // WM_LBUTTONUP
inline constexpr std::int32_t LeftDoubleClick = 515;  // WM_LBUTTONDBLCLK
inline constexpr std::int32_t RightButtonDown = 516;  // WM_RBUTTONDOWN
inline constexpr std::int32_t RightButtonUp = 517;    // WM_RBUTTONUP
inline constexpr std::int32_t RightDoubleClick = 518; // WM_RBUTTONDBLCLK
inline constexpr std::int32_t BalloonShow = 1026;     // NIN_BALLOONSHOW
inline constexpr std::int32_t BalloonHide = 1027;     // NIN_BALLOONHIDE
inline constexpr std::int32_t BalloonTimeOut = 1028;  // NIN_BALLOONTIMEOUT
inline constexpr std::int32_t BalloonClicked = 1029;  // NIN_BALLOONUSERCLICK
} // namespace callback

// Balloon icons (dwInfoFlags).
namespace balloonIcon {
inline constexpr std::int32_t None = 0;
inline constexpr std::int32_t Info = 1;
inline constexpr std::int32_t Warning = 2;
inline constexpr std::int32_t Error = 3;
} // namespace balloonIcon

namespace detail {

inline bool isHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

// How many leading code units of `text` fit into `room` units without cutting
// a surrogate pair in half.
inline std::size_t unitsThatFit(const std::u16string& text, std::size_t room) {
    if (text.size() <= room) {
        return text.size();
    }
    return room > 0 && isHighSurrogate(text[room - 1]) ? room - 1 : room;
}

} // namespace detail

// Writes a text into a wide record's byte field of `size` bytes: at most
// size / 2 - 1 characters as UTF-16LE, then zero bytes up to the field's
// size, so the text is always terminated. An empty text clears the field.
template <std::size_t N>
void CopyStringToBytes(const std::u16string& text, std::array<std::uint8_t, N>& field, std::size_t size) {
    size = std::min(size, N);
    const std::size_t units = size >= 2 ? detail::unitsThatFit(text, size / 2 - 1) : 0;
    std::size_t pos = 0;
    for (std::size_t i = 0; i < units; ++i) {
        field[pos++] = static_cast<std::uint8_t>(text[i] & 0xFF);
        field[pos++] = static_cast<std::uint8_t>(text[i] >> 8);
    }
    std::fill(field.begin() + static_cast<std::ptrdiff_t>(pos), field.begin() + static_cast<std::ptrdiff_t>(size),
              std::uint8_t{0});
}

// A narrow record's fixed-length character field: the text left-aligned, cut
// at the field's length, the rest blanks.
template <std::size_t N>
void setFixedField(std::array<char16_t, N>& field, const std::u16string& text) {
    const std::size_t units = detail::unitsThatFit(text, N);
    std::copy_n(text.begin(), units, field.begin());
    std::fill(field.begin() + static_cast<std::ptrdiff_t>(units), field.end(), u' ');
}

// A narrow record's tooltip field: the text followed by one NUL, left-aligned,
// cut at the field's length, the rest blanks. A text that fills the field
// loses its NUL; one whose cut falls before a surrogate pair has its NUL in
// the place of the pair.
template <std::size_t N>
void setTerminatedField(std::array<char16_t, N>& field, const std::u16string& text) {
    const std::size_t units = detail::unitsThatFit(text, N);
    std::copy_n(text.begin(), units, field.begin());
    if (units < N) {
        field[units] = u'\0';
        std::fill(field.begin() + static_cast<std::ptrdiff_t>(units) + 1, field.end(), u' ');
    }
}

// A wide record's text field as UTF-8: the UTF-16LE bytes up to the first NUL.
template <std::size_t N>
std::string wideFieldText(const std::array<std::uint8_t, N>& field) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < N; i += 2) {
        const auto unit = static_cast<char16_t>(field[i] | (field[i + 1] << 8));
        if (unit == u'\0') {
            break;
        }
        text += unit;
    }
    return utf8FromUtf16(text);
}

// A narrow record's text field as UTF-8: up to the first NUL, blank padding
// kept (the tooltip ends in a NUL, the balloon texts are padded).
template <std::size_t N>
std::string narrowFieldText(const std::array<char16_t, N>& field) {
    const auto end = std::find(field.begin(), field.end(), u'\0');
    return utf8FromUtf16(std::u16string_view(field.data(), static_cast<std::size_t>(end - field.begin())));
}

} // namespace tray
