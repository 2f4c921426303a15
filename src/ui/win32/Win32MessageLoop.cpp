#include "ui/win32/Win32MessageLoop.h"
#include "platform/trail.h"
#include "platform/win32/windowClass.h"

namespace ui::win32 {

namespace {

constexpr wchar_t kPostWindowClass[] = L"SentrelMessageLoop";
constexpr UINT kRunPosted = WM_APP + 1;

bool registerPostWindowClass() {
    static const bool registered =
        platform::win32::registerWindowClass(kPostWindowClass, platform::win32::ownedWindowProc<MessageLoopWin32>);
    return registered;
}

} // namespace

MessageLoopWin32::MessageLoopWin32() : m_wakeEvent(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    HANDLE event = m_wakeEvent;
    // Posted work goes to a window rather than to the thread: a modal loop
    // (a message box, a menu) dispatches window messages but drops thread ones.
    if (registerPostWindowClass()) {
        m_postWindow = ::CreateWindowExW(0, kPostWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         ::GetModuleHandleW(nullptr), this);
    }
    m_waker = std::make_shared<Waker>(
        [event] {
            if (event != nullptr) {
                ::SetEvent(event);
            }
        },
        [this](std::function<void()> work) { post(std::move(work)); });
}

MessageLoopWin32::~MessageLoopWin32() {
    m_waker->close(); // a worker finishing later wakes nothing
    if (m_postWindow != nullptr) {
        ::SetWindowLongPtrW(m_postWindow, GWLP_USERDATA, 0); // its last messages go to the default procedure
        ::DestroyWindow(m_postWindow);
    }
    if (m_wakeEvent != nullptr) {
        ::CloseHandle(m_wakeEvent);
    }
}

LRESULT MessageLoopWin32::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == kRunPosted) {
        runPosted();
        return 0;
    }
    return ::DefWindowProcW(m_postWindow, message, wParam, lParam);
}

void MessageLoopWin32::waitForMessages() noexcept {
    wait(INFINITE);
}

void MessageLoopWin32::waitForMessagesAtMost(std::chrono::milliseconds atMost) noexcept {
    const auto count = atMost.count();
    // INFINITE is one more than the longest finite wait.
    wait(count <= 0 ? 0 : count >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(count));
}

void MessageLoopWin32::wait(DWORD milliseconds) noexcept {
    // MWMO_INPUTAVAILABLE: messages already seen but not yet removed (by a
    // peek in a nested loop) end the wait too, rather than only new ones.
    const DWORD handles = m_wakeEvent != nullptr ? 1 : 0;
    ::MsgWaitForMultipleObjectsEx(handles, handles != 0 ? &m_wakeEvent : nullptr, milliseconds, QS_ALLINPUT,
                                  MWMO_INPUTAVAILABLE);
    pumpMessages();
}

void MessageLoopWin32::pumpMessages() noexcept {
    // One pass takes what had arrived when it began: a timer faster than its
    // handler would otherwise keep the pass going for ever, and the waiter
    // that called it would never look at its work again.
    const DWORD start = ::GetTickCount();
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            m_quit = true;
            m_exitCode = static_cast<int>(message.wParam);
            return;
        }
        if (m_dialogWindow == nullptr || !::IsDialogMessageW(m_dialogWindow, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (static_cast<LONG>(message.time - start) > 0) {
            return;
        }
    }
}

void MessageLoopWin32::post(std::function<void()> work) noexcept {
    try {
        const std::lock_guard lock(m_postedMutex);
        m_posted.push_back(std::move(work));
    } catch (...) {
        platform::trailCurrentException();
        return; // out of memory: the work is dropped, as a failed post would be
    }
    ::PostMessageW(m_postWindow, kRunPosted, 0, 0);
}

void MessageLoopWin32::runPosted() noexcept {
    std::function<void()> work;
    {
        const std::lock_guard lock(m_postedMutex);
        if (m_posted.empty()) {
            return;
        }
        work = std::move(m_posted.front());
        m_posted.pop_front();
    }
    try {
        if (work) {
            work();
        }
    } catch (...) {
        platform::trailCurrentException();
        // Nothing may cross into the system's dispatch.
    }
}

int MessageLoopWin32::run() {
    while (!m_quit) {
        waitForMessages();
    }
    return m_exitCode;
}

void MessageLoopWin32::quit(int code) noexcept {
    m_quit = true;
    m_exitCode = code;
    // Also ends the modal loops of the system (a message box) that run now.
    ::PostQuitMessage(code);
}

} // namespace ui::win32
