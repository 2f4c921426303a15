#pragma once
// What the main window needs beyond its controls, on a Linux desktop: the
// tray on QSystemTrayIcon with its balloons as the desktop's notifications,
// the file dialog, the tone, the desktop's default programs and file manager,
// message boxes and the event loop. Nothing here makes the GUI thread wait
// for the desktop: the tone plays on a thread of its own, and the
// notification service and the file manager answer to the event loop.

#include "app/frmMain.h"
#include "common/tonePlayer.h"
#include "platform/paths.h"
#include "ui/qt/QtTray.h"

#include <QIcon>
#include <QObject>
#include <QTimer>

#include <vector>

namespace ui {

class MainWindow;

// The host and each of its services at once: a test derives from it to
// record one of them.
class QtHost : public frmMainHost, public Shell, public Sound, public AppFolders {
public:
    // `folders`: where the window keeps its files; without them, the
    // executable's folder.
    explicit QtHost(MainWindow& window, const std::optional<platform::ProgramFolders>& folders = std::nullopt);
    ~QtHost() override;
    QtHost(const QtHost&) = delete;
    QtHost& operator=(const QtHost&) = delete;

    Shell& shell() noexcept override { return *this; }
    Sound& sound() noexcept override { return *this; }
    AppFolders& folders() noexcept override { return *this; }

    // The window's own.
    std::unique_ptr<frmSysTray> createSysTray() override;
    std::uint64_t stateIcon(int image) noexcept override;
    std::uint64_t windowIcon() noexcept override;
    void setWindowIcons() noexcept override;
    void pumpMessages() noexcept override;
    void waitForMessages() noexcept override;
    void waitForMessagesAtMost(std::chrono::milliseconds atMost) noexcept override;
    std::shared_ptr<Waker> waker() noexcept override { return m_waker; }
    void quit() noexcept override;
    // Closes the open popup menus, then the modal dialogs and message boxes,
    // innermost first: each one's exec() returns as if it had been cancelled.
    void endNestedLoops() noexcept override;
    void post(std::function<void()> work) noexcept override;

    // Shell.
    std::optional<std::string> chooseFile(const std::string& title, const std::string& filter) noexcept override;
    void openDocument(const std::string& file, const std::string& folder) noexcept override;
    void showFileInFolder(const std::string& path) noexcept override;
    void openFolder(const std::string& folder) noexcept override;
    void copyToClipboard(const std::string& text) noexcept override;
    void showMessage(const UserMessage& message) noexcept override;
    // Sound.
    void beep(std::int32_t frequency, std::int32_t milliseconds) noexcept override;
    // AppFolders.
    std::optional<std::string> appFolder() noexcept override;
    std::optional<std::string> settingsFolder() noexcept override;

    // The picture behind an icon handle given out above.
    QIcon iconFor(std::uint64_t handle) const;

    // "All Files|*.*" in the form Qt's dialogs take: "All Files (*)".
    static QString dialogFilter(const std::string& filter);

private:
    MainWindow& m_window;
    // Each ending in the separator; unset: the executable's folder.
    std::optional<std::string> m_dataFolder;
    std::optional<std::string> m_settingsFolder;
    std::vector<QIcon> m_stateIcons;
    QIcon m_windowIcon;
    QtTray m_tray;
    std::shared_ptr<Waker> m_waker;
    TonePlayer m_tones;
    // What the file manager's replies and posted work are bound to: they are
    // dropped with the host rather than run on a host that has gone.
    QObject m_context;
    // Ends a bounded wait for messages when nothing else does.
    QTimer m_heartbeat;
};

} // namespace ui
