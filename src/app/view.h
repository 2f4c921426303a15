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

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace view {

// A handler slot: the core sets it once, the control calls it.
using Handler = std::function<void()>;

class CheckBox {
public:
    virtual ~CheckBox() = default;
    // 0 not ticked, 1 ticked, 2 greyed.
    virtual int value() const = 0;
    // Runs onClick when the value changes.
    virtual void setValue(int value) = 0;
    Handler onClick;
};

class TextBox {
public:
    virtual ~TextBox() = default;
    virtual std::string text() const = 0;
    // Runs onChange when the text changes.
    virtual void setText(const std::string& text) = 0;
    Handler onChange;
};

class Label {
public:
    virtual ~Label() = default;
    virtual void setCaption(const std::string& caption) = 0;
};

class Button {
public:
    virtual ~Button() = default;
    Handler onClick;
};

class Timer {
public:
    virtual ~Timer() = default;
    virtual bool enabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual std::int32_t interval() const = 0;
    // Milliseconds; 0 stops the ticks without disabling the timer.
    virtual void setInterval(std::int32_t milliseconds) = 0;
    Handler onTick;
};

// A row of the change list: the time, the state icon (1 to 5) and four sub-items.
struct ListRow {
    std::string time;
    int icon = 0;
    std::string state;
    std::string sizeText;
    std::string sizeBytes;
    std::string dateModified;
};

class ListView {
public:
    virtual ~ListView() = default;
    virtual std::int64_t rowCount() const = 0;
    // Column 0 is the row's own text, 1 to 4 its sub-items; rows count from 1.
    // nullopt for a row or column that does not exist.
    virtual std::optional<std::string> subItem(std::int64_t row, int column) const = 0;
    virtual void appendRow(const ListRow& row) = 0;
    virtual void clear() = 0;
    // Rows count from 1; nothing happens for a row that does not exist.
    virtual void ensureVisible(std::int64_t row) = 0;
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
    virtual std::int32_t width() const = 0;
    virtual std::int32_t height() const = 0;
    // Erases everything painted, leaving the background.
    virtual void clear() = 0;
    virtual void fillRectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                               Colour colour) = 0;
    // Shows picture `index` (from 1) of the control's image list.
    virtual void showImage(int index) = 0;
};

enum class WindowState { Normal, Minimized, Maximized };

class Window {
public:
    virtual ~Window() = default;
    virtual void setCaption(const std::string& caption) = 0;
    virtual WindowState state() const = 0;
    virtual void setState(WindowState state) = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
    // Brings the window to the front and gives it the focus, as far as the desktop allows.
    virtual void bringToFront() = 0;
    // Closes the window; the program ends once it has unloaded.
    virtual void close() = 0;
    // Whether minimising may hide the window: only where a tray icon can bring it back.
    virtual bool canHideToTray() const = 0;
    Handler onResize;
};

} // namespace view
