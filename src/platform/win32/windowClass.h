#pragma once
// Registering the window classes of this program's own windows.

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

} // namespace platform::win32
