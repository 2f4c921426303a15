#pragma once
// The main window's controls without a toolkit: they start as the control
// table designs them, keep their values, run their handlers exactly as real
// controls do (at once, only when a value really changes, and nothing a
// handler throws gets out), and let tests fire events by hand.

#include "app/frmMain.h"
#include "view/controlTable.h"
#include "view/controls.h"

#include <string>
#include <vector>

namespace testsupport {

inline const view::ControlDesign& designOf(std::string_view name) {
    return *view::findControl(name);
}

class FakeCheckBox : public view::CheckBox {
public:
    int value() const noexcept override { return m_value; }
    void setValue(int value) noexcept override {
        if (value != m_value) {
            m_value = value;
            view::runHandler(onClick);
        }
    }
    // The user's click: ticks a box that is not ticked, greyed or not.
    void click() noexcept { setValue(m_value == 1 ? 0 : 1); }

private:
    int m_value = 0;
};

class FakeTextBox : public view::TextBox {
public:
    explicit FakeTextBox(std::string_view name) : m_text(designOf(name).text), m_readOnly(designOf(name).readOnly) {}
    std::string text() const noexcept override { return m_text; }
    void setText(const std::string& text) noexcept override {
        if (text != m_text) {
            m_text = text;
            view::runHandler(onChange);
        }
    }
    // Keys typed at the end of the text.
    void type(const std::string& keys) noexcept {
        if (!m_readOnly) {
            setText(m_text + keys);
        }
    }

private:
    std::string m_text;
    bool m_readOnly;
};

class FakeLabel : public view::Label {
public:
    void setCaption(const std::string& caption) noexcept override { text = caption; }
    std::string text{designOf("lblSubTitle").text};
};

class FakeButton : public view::Button {
public:
    void click() noexcept { view::runHandler(onClick); }
};

class FakeTimer : public view::Timer {
public:
    explicit FakeTimer(std::string_view name) : m_interval(designOf(name).value) {}
    bool enabled() const noexcept override { return m_enabled; }
    void setEnabled(bool enabled) noexcept override { m_enabled = enabled; }
    std::int32_t interval() const noexcept override { return m_interval; }
    void setInterval(std::int32_t milliseconds) noexcept override { m_interval = milliseconds; }
    // Delivers one tick if the timer would tick now.
    bool tick() {
        if (!m_enabled || m_interval <= 0 || !onTick) {
            return false;
        }
        if (beforeTick) {
            beforeTick();
        }
        view::runHandler(onTick);
        if (afterTick) {
            afterTick();
        }
        return true;
    }
    // Run before and after each tick's handler: a test waits there for what
    // was started before the tick (a cycle the file's events began) and by it.
    std::function<void()> beforeTick;
    std::function<void()> afterTick;

private:
    bool m_enabled = false;
    std::int32_t m_interval;
};

class FakeListView : public view::ListView {
public:
    std::int64_t rowCount() const noexcept override { return static_cast<std::int64_t>(rows.size()); }
    std::optional<std::string> subItem(std::int64_t row, ChangeColumn column) const noexcept override;
    void appendRow(const ChangeRow& row) override { rows.push_back(row); }
    void clear() noexcept override { rows.clear(); }
    void ensureVisible(std::int64_t row) noexcept override { lastEnsured = row; }
    // The row menu: whether its commands were enabled, and the user's choice,
    // which greyed commands do not give.
    std::optional<view::RowCommand> popupRowMenu(bool enabled) noexcept override {
        menusShown.push_back(enabled);
        return enabled ? menuChoice : std::nullopt;
    }
    std::vector<bool> menusShown;
    std::optional<view::RowCommand> menuChoice;

    // What row `index` (from 0) shows.
    struct Shown {
        std::string time;
        int icon = 0;
        ChangeRecord record;
    };
    Shown shown(std::size_t index) const {
        const auto& row = rows.at(index);
        return {columnText(row, ChangeColumn::Time), row.state + 1,
                recordTexts(row.state, row.values, row.formats.get())};
    }

    std::vector<ChangeRow> rows;
    std::int64_t lastEnsured = 0;
};

class FakePictureBox : public view::PictureBox {
public:
    struct Rectangle {
        std::int32_t left, top, right, bottom;
        view::Colour colour;
    };
    explicit FakePictureBox(std::string_view name)
        : m_width(designOf(name).rect->width), m_height(designOf(name).rect->height) {}
    std::int32_t width() const noexcept override { return m_width; }
    std::int32_t height() const noexcept override { return m_height; }
    void clear() noexcept override {
        rectangles.clear();
        image = 0;
        ++clears;
    }
    void fillRectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                       view::Colour colour) noexcept override {
        rectangles.push_back({left, top, right, bottom, colour});
    }
    void showImage(int index) noexcept override { image = index; }

    std::vector<Rectangle> rectangles;
    int image = 0;
    int clears = 0;

private:
    std::int32_t m_width;
    std::int32_t m_height;
};

class FakeWindow : public view::Window {
public:
    void setCaption(const std::string& text) noexcept override { caption = text; }
    view::WindowState state() const noexcept override { return m_state; }
    void setState(view::WindowState state) noexcept override {
        m_state = state;
        view::runHandler(onResize);
    }
    void show() noexcept override { visible = true; }
    void hide() noexcept override { visible = false; }
    void bringToFront() noexcept override { ++broughtToFront; }
    // Queued, as the system queues it: the window closes in closeQueued().
    void close() noexcept override { ++closeRequests; }
    bool canHideToTray() const noexcept override { return trayAvailable; }
    void closeQueued() noexcept {
        for (; closed < closeRequests; ++closed) {
            visible = false;
        }
    }

    std::string caption{view::kMainWindow.caption};
    bool visible = false;
    int broughtToFront = 0;
    int closeRequests = 0;
    int closed = 0;
    bool trayAvailable = true;

private:
    view::WindowState m_state = view::WindowState::Normal;
};

// All the controls of the main window, with their designed values.
struct FakeMainWindow {
    FakeWindow window;
    FakeLabel lblSubTitle;
    FakePictureBox picAni{"picAni"};
    FakePictureBox picProgress{"picProgress"};
    FakeButton cmdMonitorOpen, cmdOpenFolder, cmdMakeCopy, cmdFolderCopiesOpen, cmdOpenLog, cmdClearLogView,
        cmdFileOpen;
    FakeCheckBox chkMonitor, chkMakeCopy, chkBalloonTip, chkNotify, chkBeep, chkFollowLog;
    FakeTextBox txtInterval{"txtInterval"};
    FakeTextBox txtFileName{"txtFileName"};
    FakeListView lstLog;
    FakeTimer Timer1{"Timer1"};
    FakeTimer Timer2{"Timer2"};

    frmMainControls controls() {
        return {window,         lblSubTitle,     picAni,      picProgress,
                cmdMonitorOpen, cmdOpenFolder,   cmdMakeCopy, cmdFolderCopiesOpen,
                cmdOpenLog,     cmdClearLogView, cmdFileOpen, chkMonitor,
                chkMakeCopy,    chkBalloonTip,   chkNotify,   chkBeep,
                chkFollowLog,   txtInterval,     txtFileName, lstLog,
                Timer1,         Timer2};
    }
};

inline std::optional<std::string> FakeListView::subItem(std::int64_t row, ChangeColumn column) const noexcept {
    if (row < 1 || row > rowCount()) {
        return std::nullopt;
    }
    return columnText(rows[static_cast<std::size_t>(row - 1)], column);
}

} // namespace testsupport
