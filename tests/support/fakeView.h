#pragma once
// The main window's controls without a toolkit: they keep their values, run
// their handlers exactly as real controls do (at once, and only when a value
// really changes), and let tests fire events by hand.

#include "app/frmMain.h"
#include "app/view.h"

#include <string>
#include <vector>

namespace testsupport {

class FakeCheckBox : public view::CheckBox {
public:
    int value() const override { return m_value; }
    void setValue(int value) override {
        if (value != m_value) {
            m_value = value;
            if (onClick) {
                onClick();
            }
        }
    }

private:
    int m_value = 0;
};

class FakeTextBox : public view::TextBox {
public:
    explicit FakeTextBox(std::string text = {}) : m_text(std::move(text)) {}
    std::string text() const override { return m_text; }
    void setText(const std::string& text) override {
        if (text != m_text) {
            m_text = text;
            if (onChange) {
                onChange();
            }
        }
    }

private:
    std::string m_text;
};

class FakeLabel : public view::Label {
public:
    void setCaption(const std::string& caption) override { text = caption; }
    std::string text;
};

class FakeButton : public view::Button {
public:
    void click() {
        if (onClick) {
            onClick();
        }
    }
};

class FakeTimer : public view::Timer {
public:
    explicit FakeTimer(std::int32_t interval) : m_interval(interval) {}
    bool enabled() const override { return m_enabled; }
    void setEnabled(bool enabled) override { m_enabled = enabled; }
    std::int32_t interval() const override { return m_interval; }
    void setInterval(std::int32_t milliseconds) override { m_interval = milliseconds; }
    // Delivers one tick if the timer would tick now.
    bool tick() {
        if (!m_enabled || m_interval <= 0 || !onTick) {
            return false;
        }
        onTick();
        return true;
    }

private:
    bool m_enabled = false;
    std::int32_t m_interval;
};

class FakeListView : public view::ListView {
public:
    std::int64_t rowCount() const override { return static_cast<std::int64_t>(rows.size()); }
    std::optional<std::string> subItem(std::int64_t row, int column) const override;
    void appendRow(const view::ListRow& row) override { rows.push_back(row); }
    void clear() override { rows.clear(); }
    void ensureVisible(std::int64_t row) override { lastEnsured = row; }

    std::vector<view::ListRow> rows;
    std::int64_t lastEnsured = 0;
};

class FakePictureBox : public view::PictureBox {
public:
    struct Rectangle {
        std::int32_t left, top, right, bottom;
        view::Colour colour;
    };
    FakePictureBox(std::int32_t width, std::int32_t height) : m_width(width), m_height(height) {}
    std::int32_t width() const override { return m_width; }
    std::int32_t height() const override { return m_height; }
    void clear() override {
        rectangles.clear();
        image = 0;
        ++clears;
    }
    void fillRectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                       view::Colour colour) override {
        rectangles.push_back({left, top, right, bottom, colour});
    }
    void showImage(int index) override { image = index; }

    std::vector<Rectangle> rectangles;
    int image = 0;
    int clears = 0;

private:
    std::int32_t m_width;
    std::int32_t m_height;
};

class FakeWindow : public view::Window {
public:
    void setCaption(const std::string& text) override { caption = text; }
    view::WindowState state() const override { return m_state; }
    void setState(view::WindowState state) override {
        m_state = state;
        if (onResize) {
            onResize();
        }
    }
    void show() override { visible = true; }
    void hide() override { visible = false; }
    void bringToFront() override { ++broughtToFront; }
    void close() override { ++closeRequests; }
    bool canHideToTray() const override { return trayAvailable; }

    std::string caption;
    bool visible = false;
    int broughtToFront = 0;
    int closeRequests = 0;
    bool trayAvailable = true;

private:
    view::WindowState m_state = view::WindowState::Normal;
};

// All the controls of the main window, with their designed values.
struct FakeMainWindow {
    FakeWindow window;
    FakeLabel lblSubTitle;
    FakePictureBox picAni{480, 480};
    FakePictureBox picProgress{10845, 135};
    FakeButton cmdMonitorOpen, cmdOpenFolder, cmdMakeCopy, cmdFolderCopiesOpen, cmdOpenLog, cmdClearLogView,
        cmdFileOpen;
    FakeCheckBox chkMonitor, chkMakeCopy, chkBalloonTip, chkNotify, chkBeep, chkFollowLog;
    FakeTextBox txtInterval{"500"};
    FakeTextBox txtFileName;
    FakeListView lstLog;
    FakeTimer Timer1{500};
    FakeTimer Timer2{10};

    frmMainControls controls() {
        return {window,         lblSubTitle,     picAni,      picProgress,
                cmdMonitorOpen, cmdOpenFolder,   cmdMakeCopy, cmdFolderCopiesOpen,
                cmdOpenLog,     cmdClearLogView, cmdFileOpen, chkMonitor,
                chkMakeCopy,    chkBalloonTip,   chkNotify,   chkBeep,
                chkFollowLog,   txtInterval,     txtFileName, lstLog,
                Timer1,         Timer2};
    }
};

inline std::optional<std::string> FakeListView::subItem(std::int64_t row, int column) const {
    if (row < 1 || row > rowCount()) {
        return std::nullopt;
    }
    const auto& r = rows[static_cast<std::size_t>(row - 1)];
    switch (column) {
    case 0:
        return r.time;
    case 1:
        return r.state;
    case 2:
        return r.sizeText;
    case 3:
        return r.sizeBytes;
    case 4:
        return r.dateModified;
    default:
        return std::nullopt;
    }
}

} // namespace testsupport
