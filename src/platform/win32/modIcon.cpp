#include "platform/modIcon.h"

#include "platform/win32/text.h"

#include <windows.h>

namespace modIcon {

namespace {

HICON loadSharedIcon(const std::string& ansiName, int width, int height) {
    // Shared icons belong to the system's cache: they are never destroyed.
    return static_cast<HICON>(
        ::LoadImageA(::GetModuleHandleA(nullptr), ansiName.c_str(), IMAGE_ICON, width, height, LR_SHARED));
}

} // namespace

void SetWindowIcons(std::uint64_t hWnd, const std::string& sIconResName, bool bSetOnTopOwner) {
    HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(hWnd));
    HWND topOwner = window;
    if (bSetOnTopOwner) {
        for (HWND owner = ::GetWindow(topOwner, GW_OWNER); owner != nullptr; owner = ::GetWindow(owner, GW_OWNER)) {
            topOwner = owner;
        }
    }
    const std::string ansiName = platform::win32::ansiFromUtf8(sIconResName);

    // A missing resource gives a null icon, which is sent all the same.
    HICON largeIcon = loadSharedIcon(ansiName, ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON));
    if (bSetOnTopOwner) {
        ::SendMessageA(topOwner, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon));
    }
    ::SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon));

    HICON smallIcon = loadSharedIcon(ansiName, ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON));
    if (bSetOnTopOwner) {
        ::SendMessageA(topOwner, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    }
    ::SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

} // namespace modIcon
