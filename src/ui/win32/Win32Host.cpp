#include "ui/win32/Win32Host.h"

#include "common/modKorvel.h"
#include "platform/modIcon.h"
#include "platform/sound.h"
#include "platform/trail.h"
#include "platform/win32/text.h"
#include "ui/win32/Win32MainWindow.h"
#include "ui/win32/Win32MessageLoop.h"

// After <windows.h>, which they depend on.
#include <commdlg.h>
#include <cstring>

#include <vector>

namespace ui::win32 {

namespace {

template <typename Handle>
std::uint64_t fromHandle(Handle handle) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
}

// The longest path the dialog hands back, in UTF-16 units.
constexpr DWORD kLongestPath = 32768;

// Starts a command line without a shell in between (no quoting of the path
// by hand can then be undone by a shell), and does not wait for the program.
void startProgram(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMAXIMIZED;
    PROCESS_INFORMATION info{};
    if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
    }
}

BOOL CALLBACK collectWindow(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

// Message boxes and dialogs, the file dialog among them, are of the system's dialog class.
bool isDialog(HWND window) {
    wchar_t className[16] = {};
    return ::GetClassNameW(window, className, 16) > 0 && std::wstring_view(className) == L"#32770";
}

} // namespace

Host::Host(MainWindow& window, MessageLoopWin32& loop)
    : m_window(window), m_loop(loop), m_tones(
                                          [](std::int32_t frequency, std::int32_t milliseconds) {
                                              // No sound device for a tone: the system's own sound instead.
                                              if (!platform::playTone(frequency, milliseconds)) {
                                                  ::MessageBeep(MB_OK);
                                              }
                                              return true;
                                          },
                                          {}, loop.waker()) {}

std::unique_ptr<frmSysTray> Host::createSysTray() {
    return std::make_unique<frmSysTray>(m_tray, m_tray, platform::win32::windowsVersionBits);
}

std::uint64_t Host::stateIcon(int image) noexcept {
    return fromHandle(m_window.stateIcon(image));
}

std::uint64_t Host::windowIcon() noexcept {
    return fromHandle(m_window.windowIcon());
}

void Host::setWindowIcons() noexcept {
    try {
        modIcon::SetWindowIcons(fromHandle(m_window.handle()), "MAINICON", true);
    } catch (...) {
        platform::trailCurrentException();
        // Out of memory converting the name: the window keeps its class's icons.
    }
}

HWND Host::visibleOwner() const noexcept {
    HWND window = m_window.handle();
    return window != nullptr && ::IsWindowVisible(window) ? window : nullptr;
}

std::wstring Host::dialogFilter(const std::string& filter) {
    std::wstring result = platform::win32::wideFromUtf8(filter);
    for (wchar_t& c : result) {
        if (c == L'|') {
            c = L'\0';
        }
    }
    // Each name and pattern ends in a NUL, and the list in one more.
    result += L'\0';
    result += L'\0';
    return result;
}

std::optional<std::string> Host::chooseFile(const std::string& title, const std::string& filter) noexcept {
    try {
        const std::wstring wideTitle = platform::win32::wideFromUtf8(title);
        const std::wstring wideFilter = dialogFilter(filter);
        std::wstring chosen(kLongestPath, L'\0');
        OPENFILENAMEW dialog{};
        dialog.lStructSize = sizeof dialog;
        dialog.hwndOwner = visibleOwner();
        dialog.lpstrFilter = wideFilter.c_str();
        dialog.nFilterIndex = 1;
        dialog.lpstrFile = chosen.data();
        dialog.nMaxFile = kLongestPath;
        dialog.lpstrTitle = wideTitle.c_str();
        // The program's folder stays its working folder whatever the user browses to.
        dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
        if (!::GetOpenFileNameW(&dialog)) {
            return std::nullopt; // cancelled, or the dialog could not be shown
        }
        chosen.resize(chosen.find(L'\0'));
        return platform::win32::utf8FromWide(chosen);
    } catch (...) {
        platform::trailCurrentException();
        return std::nullopt;
    }
}

void Host::beep(std::int32_t frequency, std::int32_t milliseconds) noexcept {
    // Beep returns only when the tone has ended, and can take long to start.
    m_tones.start(frequency, milliseconds);
}

void Host::openDocument(const std::string& file, const std::string& folder) noexcept {
    try {
        // Shows its own message when the request cannot be made at all.
        modKorvel::ShellOpen(file, folder, std::nullopt);
    } catch (...) {
        platform::trailCurrentException();
        // Out of memory: nothing is opened.
    }
}

std::optional<std::wstring> Host::selectInExplorerCommand(const std::string& path) {
    const auto withSeparator = modKorvel::AddBackslash(path);
    if (!withSeparator || withSeparator->empty()) {
        return std::nullopt;
    }
    return L"explorer.exe /select," + platform::win32::wideFromUtf8(*withSeparator) + L",/e";
}

std::wstring Host::openInExplorerCommand(const std::string& folder) {
    return L"explorer.exe \"" + platform::win32::wideFromUtf8(folder) + L"\",/e";
}

void Host::showFileInFolder(const std::string& path) noexcept {
    try {
        if (auto command = selectInExplorerCommand(path)) {
            startProgram(std::move(*command));
        }
    } catch (...) {
        platform::trailCurrentException();
        // Out of memory: Explorer is not started.
    }
}

void Host::openFolder(const std::string& folder) noexcept {
    try {
        startProgram(openInExplorerCommand(folder));
    } catch (...) {
        platform::trailCurrentException();
        // Out of memory: Explorer is not started.
    }
}

void Host::copyToClipboard(const std::string& text) noexcept {
    try {
        const std::wstring wide = platform::win32::wideFromUtf8(text);
        const SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);
        HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
        if (memory == nullptr) {
            return;
        }
        if (void* data = ::GlobalLock(memory)) {
            std::memcpy(data, wide.c_str(), bytes);
            ::GlobalUnlock(memory);
        }
        // Another program may hold the clipboard open for a moment: the
        // clipboard is left as it was.
        bool handedOver = false;
        if (::OpenClipboard(m_window.handle())) {
            handedOver = ::EmptyClipboard() && ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
            ::CloseClipboard();
        }
        if (!handedOver) {
            platform::trail("the clipboard could not be opened or set");
            ::GlobalFree(memory);
        }
    } catch (...) {
        platform::trailCurrentException();
    }
}

void Host::showMessage(const UserMessage& message) noexcept {
    try {
        const UINT icon = message.icon == MessageIcon::Critical  ? MB_ICONERROR
                          : message.icon == MessageIcon::Warning ? MB_ICONWARNING
                                                                 : MB_ICONINFORMATION;
        const std::wstring text = platform::win32::wideFromUtf8(message.text);
        const std::wstring title = platform::win32::wideFromUtf8(message.title);
        ::MessageBoxW(visibleOwner(), text.c_str(), title.c_str(), MB_OK | icon);
    } catch (...) {
        platform::trailCurrentException();
        // Out of memory: the message is lost.
    }
}

void Host::pumpMessages() noexcept {
    m_loop.pumpMessages();
}

void Host::waitForMessages() noexcept {
    m_loop.waitForMessages();
}

void Host::waitForMessagesAtMost(std::chrono::milliseconds atMost) noexcept {
    m_loop.waitForMessagesAtMost(atMost);
}

std::shared_ptr<Waker> Host::waker() noexcept {
    return m_loop.waker();
}

void Host::quit() noexcept {
    m_quitRequested = true;
    m_loop.quit();
}

void Host::endNestedLoops() noexcept {
    // A menu first: it may have been opened over a dialog.
    ::EndMenu();
    try {
        std::vector<HWND> windows;
        ::EnumThreadWindows(::GetCurrentThreadId(), collectWindow, reinterpret_cast<LPARAM>(&windows));
        const HWND mainWindow = m_window.handle();
        for (HWND window : windows) {
            // Only the modal ones: the main window itself may be of the dialog class.
            if (window != mainWindow && ::IsWindowVisible(window) && isDialog(window)) {
                // A box with only an OK button takes Cancel as OK.
                ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            }
        }
    } catch (...) {
        platform::trailCurrentException();
        // Out of memory: the dialogs stay until the user closes them.
    }
}

void Host::post(std::function<void()> work) noexcept {
    m_loop.post(std::move(work));
}

} // namespace ui::win32
