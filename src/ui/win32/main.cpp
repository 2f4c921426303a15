// Sentrel on Windows: the main window on the Win32 API, driving the core.

#include "app/frmMain.h"
#include "app/modKorvelIni.h"
#include "platform/trail.h"
#include "platform/win32/text.h"
#include "ui/win32/Win32Host.h"
#include "ui/win32/Win32MainWindow.h"
#include "ui/win32/Win32MessageLoop.h"

#include <windows.h>

// After <windows.h>, which it depends on.
#include <commctrl.h>

#include <chrono>

namespace {

// How long the program waits at its end for settings still being written.

struct Session {
    ui::win32::MainWindow& window;
    ui::win32::Host& host;
    const frmMain& form;
};

// How long the session's end waits for the unload: about what Windows allows
// a program at log-off.
constexpr auto kUnloadLimit = std::chrono::seconds(5);

// The longest the session's end may take in all: the unload's and the
// settings' waits above, with time to spare.
constexpr auto kSessionEndLimit = std::chrono::seconds(20);

// Ends the program once the session's end has taken its longest, whatever the
// GUI thread waits for meanwhile (a call into a file system or another
// process that stopped answering): a program that outlives its session holds
// up the log-off until Windows gives up on it.
DWORD WINAPI endAtTheLatest(void*) {
    ::Sleep(static_cast<DWORD>(std::chrono::milliseconds(kSessionEndLimit).count()));
    ::TerminateProcess(::GetCurrentProcess(), 0);
    return 0;
}

// The session ending (log off, shut down) closes the window as the user
// would, so that a copy under way is finished rather than cut short, and
// writes the settings. Once WM_ENDSESSION has returned Windows may end the
// process at any moment, so all of it happens here, and the program ends
// itself when it is done. A subclass of the window: the window's own
// procedure sees every other message as before.
LRESULT CALLBACK endWithSession(HWND handle, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_ENDSESSION && wParam != FALSE) {
        auto& session = *reinterpret_cast<Session*>(data);
        if (HANDLE watchdog = ::CreateThread(nullptr, 0, endAtTheLatest, nullptr, 0, nullptr)) {
            ::CloseHandle(watchdog);
        }
        session.window.close();
        // Until the window has unloaded. Not until the program may quit: a
        // copy or a box that this message arrived inside of lies lower on the
        // stack and cannot end while this handler runs.
        const auto deadline = std::chrono::steady_clock::now() + kUnloadLimit;
        while (!session.host.quitRequested() && !session.form.unloaded() &&
               std::chrono::steady_clock::now() < deadline) {
            session.host.waitForMessagesAtMost(std::chrono::milliseconds(100));
        }
        flushIniWrites(kSettingsFlushLimit);
        // Not ExitProcess: its clean-up can wait for a lock that another of
        // the program's threads holds, and under Wine it did not return.
        ::TerminateProcess(::GetCurrentProcess(), 0);
    }
    return ::DefSubclassProc(handle, message, wParam, lParam);
}

int runProgram() {
    // The list view and the standard controls; the manifest picks version 6 of them.
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&classes);

    ui::win32::MessageLoopWin32 loop;
    ui::win32::MainWindow window;
    // Tab and the access keys move between the window's controls.
    loop.setDialogWindow(window.handle());
    ui::win32::Host host(window, loop);
    frmMain form(window.controls(), host);
    // The window's close box, the tray's Exit and the session ending all come
    // here: a copy under way is finished before the program ends.
    window.onClose = [&form] { form.Form_Unload(); };
    Session session{window, host, form};
    ::SetWindowSubclass(window.handle(), endWithSession, 1, reinterpret_cast<DWORD_PTR>(&session));
    const int status = form.run([&window] { window.show(); },
                                [&] {
                                    const int code = loop.run();
                                    ::RemoveWindowSubclass(window.handle(), endWithSession, 1);
                                    return code;
                                });
    return status;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Seen only by a debugger, or a tool that shows the debugger's output.
    platform::setTrailSink([](std::string_view line) {
        ::OutputDebugStringW(platform::win32::wideFromUtf8(std::string(line) + "\n").c_str());
    });
    try {
        return runProgram();
    } catch (...) {
        platform::trailCurrentException();
        // A GUI program has no console to write to.
        ::MessageBoxW(nullptr, L"An unexpected error ended the program.", L"Sentrel", MB_OK | MB_ICONERROR);
        return 2;
    }
}
