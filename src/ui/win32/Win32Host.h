#pragma once
// What the main window needs beyond its controls, on Windows: the tray on the
// shell's notification area, the open-file dialog, the tone, the shell's
// default programs and Explorer, message boxes and the message loop. Nothing
// here makes the GUI thread wait for the desktop: the tone plays on a thread
// of its own and Explorer is started without waiting for it.

#include "app/frmMainHost.h"
#include "common/tonePlayer.h"
#include "platform/win32/notifyWindow.h"

#include <windows.h>

#include <memory>
#include <string>

namespace ui::win32 {

class MainWindow;
class MessageLoopWin32;

// The host and its shell and sound at once; the files stay in the
// executable's folder.
class Host final : public frmMainHost, public Shell, public Sound {
public:
    // Both must outlive the host.
    Host(MainWindow& window, MessageLoopWin32& loop);
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    Shell& shell() noexcept override { return *this; }
    Sound& sound() noexcept override { return *this; }

    // The window's own.
    std::unique_ptr<frmSysTray> createSysTray() override;
    std::uint64_t stateIcon(int image) noexcept override;
    std::uint64_t windowIcon() noexcept override;
    void setWindowIcons() noexcept override;
    void pumpMessages() noexcept override;
    void waitForMessages() noexcept override;
    void waitForMessagesAtMost(std::chrono::milliseconds atMost) noexcept override;
    std::shared_ptr<Waker> waker() noexcept override;
    void quit() noexcept override;
    // Whether the window has said the program may end.
    bool quitRequested() const noexcept { return m_quitRequested; }
    // Closes the open menu, then cancels every dialog and message box of this
    // thread: each one's modal loop returns as if the user had cancelled it.
    void endNestedLoops() noexcept override;
    void post(std::function<void()> work) noexcept override;

    // Shell.
    std::optional<std::string> chooseFile(const std::string& title, const std::string& filter) noexcept override;
    void openDocument(const std::string& file, const std::string& folder) noexcept override;
    void showFileInFolder(const std::string& path) noexcept override;
    void openFolder(const std::string& folder) noexcept override;
    void copyToClipboard(const std::string& text) noexcept override;
    void showMessage(const UserMessage& message) noexcept override;
    // Sound: starts the tone and returns at once; while one plays, the next is dropped.
    void beep(std::int32_t frequency, std::int32_t milliseconds) noexcept override;

    // "All Files|*.*" in the form the file dialog takes: "All Files\0*.*\0\0".
    static std::wstring dialogFilter(const std::string& filter);
    // Explorer's command lines; nullopt where the path gives none.
    static std::optional<std::wstring> selectInExplorerCommand(const std::string& path);
    static std::wstring openInExplorerCommand(const std::string& folder);

private:
    // The main window when the user can see it, else none: a box owned by a
    // hidden window would be hidden behind it.
    HWND visibleOwner() const noexcept;

    MainWindow& m_window;
    MessageLoopWin32& m_loop;
    platform::win32::NotifyWindow m_tray;
    bool m_quitRequested = false;
    TonePlayer m_tones;
};

} // namespace ui::win32
