#pragma once
// The main window's controls as the core sees them. Each front end (Qt,
// native Win32, the tests' fakes) implements these small interfaces; the core
// never learns which toolkit draws them.
//
// Semantics every implementation keeps:
// - Setting a value from code runs the control's handler at once, before the
//   setter returns, exactly when the value really changes, as a user's change
//   does.
// - A timer whose interval is 0 delivers no ticks. Ticks and input keep
//   arriving while a handler yields to the message loop.
// - The list keeps rows in the order they were added; reading the newest row
//   costs the same at any row count.
// - Only adding a row can fail (memory runs out); every other call is
//   noexcept. A handler run by a setter must not throw: the core catches at
//   its handlers' entry.

#include "platform/trail.h"
#include "watch/changeRecord.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace view {

// A handler slot: the core sets it once, the control calls it.
using Handler = std::function<void()>;

// Runs a handler from a front end's event. Nothing thrown may cross into the
// toolkit's or the system's dispatch; the core reports its own errors at its
// handlers' entry, so whatever still arrives here is dropped (into the trail).
inline void runHandler(const Handler& handler) noexcept {
    try {
        if (handler) {
            handler();
        }
    } catch (...) {
        platform::trailCurrentException();
    }
}

// What a row of the list offers about the copy of its version.
struct RowCopyOffer {
    bool hasCopy = false; // the row's commands apply
    std::string tip;      // the copy's name, or why there is none
};

// The commands of a row's context menu, in their order; a double click or
// Enter on a row opens its copy.
enum class RowCommand { OpenCopy, ShowCopyInFolder, CopyPath };
struct RowMenuItem {
    RowCommand command;
    std::string_view caption;
};
inline constexpr std::array kRowMenu{
    RowMenuItem{RowCommand::OpenCopy, "Open Copy"},
    RowMenuItem{RowCommand::ShowCopyInFolder, "Show Copy in Folder"},
    RowMenuItem{RowCommand::CopyPath, "Copy Path"},
};

class CheckBox {
public:
    virtual ~CheckBox() = default;
    // 0 not ticked, 1 ticked, 2 greyed.
    virtual int value() const noexcept = 0;
    // Runs onClick when the value changes.
    virtual void setValue(int value) noexcept = 0;
    Handler onClick;
};

class TextBox {
public:
    virtual ~TextBox() = default;
    virtual std::string text() const noexcept = 0;
    // Runs onChange when the text changes.
    virtual void setText(const std::string& text) noexcept = 0;
    Handler onChange;
};

class Label {
public:
    virtual ~Label() = default;
    virtual void setCaption(const std::string& caption) noexcept = 0;
};

class Button {
public:
    virtual ~Button() = default;
    Handler onClick;
};

class Timer {
public:
    virtual ~Timer() = default;
    virtual bool enabled() const noexcept = 0;
    virtual void setEnabled(bool enabled) noexcept = 0;
    virtual std::int32_t interval() const noexcept = 0;
    // Milliseconds; 0 stops the ticks without disabling the timer.
    virtual void setInterval(std::int32_t milliseconds) noexcept = 0;
    Handler onTick;
};

class ListView {
public:
    virtual ~ListView() = default;
    virtual std::int64_t rowCount() const noexcept = 0;
    // Rows count from 1; nullopt for a row that does not exist.
    virtual std::optional<std::string> subItem(std::int64_t row, ChangeColumn column) const noexcept = 0;
    // Throws when the row cannot be stored (memory runs out).
    virtual void appendRow(const ChangeRow& row) = 0;
    virtual void clear() noexcept = 0;
    // Rows count from 1; nothing happens for a row that does not exist.
    virtual void ensureVisible(std::int64_t row) noexcept = 0;

    // Shows the row menu where it was last asked for, its commands greyed
    // unless `enabled`, and returns once the user has chosen one or none.
    // Runs a nested message loop, as a modal menu does.
    virtual std::optional<RowCommand> popupRowMenu(bool enabled) noexcept = 0;

    // Set by the core: what row `row` (from 1) offers for its tooltip, a
    // command on it (OpenCopy for a double click or Enter), and its context
    // menu asked for. Front ends call them through rowOffer() and runRowCommand().
    std::function<RowCopyOffer(std::int64_t row)> copyOffer;
    std::function<void(std::int64_t row, RowCommand command)> onRowCommand;
    std::function<void(std::int64_t row)> onRowMenu;

    RowCopyOffer rowOffer(std::int64_t row) const noexcept {
        try {
            return copyOffer ? copyOffer(row) : RowCopyOffer{};
        } catch (...) {
            platform::trailCurrentException();
            return {};
        }
    }
    void runRowCommand(std::int64_t row, RowCommand command) const noexcept {
        runHandler([&] {
            if (onRowCommand) {
                onRowCommand(row, command);
            }
        });
    }
    void runRowMenu(std::int64_t row) const noexcept {
        runHandler([&] {
            if (onRowMenu) {
                onRowMenu(row);
            }
        });
    }
};

// An RGB colour, or a system colour.
struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool buttonFace = false; // the system's button-face colour instead of the RGB value

    static Colour rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return {r, g, b, false}; }
    static Colour systemButtonFace() { return {0, 0, 0, true}; }
};

// A picture box that keeps what is painted into it. Coordinates are twips
// from the top left corner inside the border; painting is clipped there.
class PictureBox {
public:
    virtual ~PictureBox() = default;
    // Outer size, border included, in twips.
    virtual std::int32_t width() const noexcept = 0;
    virtual std::int32_t height() const noexcept = 0;
    // Erases everything painted, leaving the background.
    virtual void clear() noexcept = 0;
    virtual void fillRectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                               Colour colour) noexcept = 0;
    // Shows picture `index` (from 1) of the control's image list.
    virtual void showImage(int index) noexcept = 0;
};

enum class WindowState { Normal, Minimized, Maximized };

class Window {
public:
    virtual ~Window() = default;
    virtual void setCaption(const std::string& caption) noexcept = 0;
    virtual WindowState state() const noexcept = 0;
    virtual void setState(WindowState state) noexcept = 0;
    virtual void show() noexcept = 0;
    virtual void hide() noexcept = 0;
    // Brings the window to the front and gives it the focus, as far as the desktop allows.
    virtual void bringToFront() noexcept = 0;
    // Closes the window; the program ends once it has unloaded.
    virtual void close() noexcept = 0;
    // Whether minimising may hide the window: only where a tray icon can bring it back.
    virtual bool canHideToTray() const noexcept = 0;
    Handler onResize;
};

} // namespace view
