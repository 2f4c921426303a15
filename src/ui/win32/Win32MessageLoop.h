#pragma once
// The GUI thread's message loop on the Win32 queue: the waits the core makes
// while work runs on another thread (see common/messageLoop.h), the program's
// main loop, and work posted to run later on the GUI thread.

#include "common/messageLoop.h"

#include <windows.h>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace ui::win32 {

class MessageLoopWin32 {
public:
    // Belongs to the thread that makes it, which must be the GUI thread.
    MessageLoopWin32();
    ~MessageLoopWin32();
    MessageLoopWin32(const MessageLoopWin32&) = delete;
    MessageLoopWin32& operator=(const MessageLoopWin32&) = delete;

    // Waits until a message has arrived or the loop was woken, then
    // dispatches everything pending.
    void waitForMessages() noexcept;
    // The same, returning after `atMost` when nothing came.
    void waitForMessagesAtMost(std::chrono::milliseconds atMost) noexcept;
    // Dispatches what is pending now, without waiting.
    void pumpMessages() noexcept;
    // Wakes a wait of this loop from any thread.
    std::shared_ptr<Waker> waker() noexcept { return m_waker; }
    // Runs `work` on the GUI thread once the message being handled now has returned.
    void post(std::function<void()> work) noexcept;
    // Turns the loop until quit(); the exit code quit() was given.
    int run();
    void quit(int code = 0) noexcept;
    // The window whose keyboard navigation (Tab, Space on a button) the loop handles.
    void setDialogWindow(HWND window) noexcept { m_dialogWindow = window; }

    // The window that posted work is sent to, and its window procedure.
    HWND handle() const noexcept { return m_postWindow; }
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

private:
    void wait(DWORD milliseconds) noexcept;
    // Runs the oldest posted work.
    void runPosted() noexcept;

    HANDLE m_wakeEvent = nullptr;
    std::shared_ptr<Waker> m_waker;
    HWND m_postWindow = nullptr;
    HWND m_dialogWindow = nullptr;
    std::mutex m_postedMutex;
    std::deque<std::function<void()>> m_posted;
    bool m_quit = false;
    int m_exitCode = 0;
};

} // namespace ui::win32
