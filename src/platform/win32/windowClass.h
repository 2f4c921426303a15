#pragma once
// Registering the window classes of this program's own windows.

#include "platform/trail.h"

#include <windows.h>

namespace platform::win32 {

// Registers a window class of this module; true when it is registered, now
// or before (a second registration of the same name is not a failure).
inline bool registerWindowClass(const wchar_t* name, WNDPROC procedure, HCURSOR cursor = nullptr,
                                HBRUSH background = nullptr) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

template <class Owner>
bool ownerHoldsHandle(const Owner& owner, HWND hwnd) {
    return owner.handle() == hwnd;
}

// The window procedure of a class whose every window belongs to one object,
// handed over as CreateWindowExW's last argument. Messages go to the object's
// handleMessage once `ownsWindow` says the object knows the window (its
// creation has returned; by default, its handle() is the window); before
// that, and after WM_NCDESTROY, the default procedure answers. No exception
// crosses into the system's dispatch.
template <class Owner, bool (*ownsWindow)(const Owner&, HWND) = ownerHoldsHandle<Owner>>
LRESULT CALLBACK ownedWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* owner = reinterpret_cast<Owner*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    }
    if (owner != nullptr && ownsWindow(*owner, hwnd)) {
        try {
            return owner->handleMessage(message, wParam, lParam);
        } catch (...) {
            platform::trailCurrentException();
            return 0;
        }
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace platform::win32
