#pragma once
// Window icons from the program's own icon resource. Win32 backend: the Qt
// front end gives its windows their icon its own way.

#include <cstdint>
#include <string>

namespace modIcon {

// Loads the icon group `sIconResName` of the executable at the system's large
// and small icon sizes (shared, never released) and sends them to the window
// with WM_SETICON; with `bSetOnTopOwner` to the window's top owner first as
// well. A missing resource sends null icons; nothing is reported.
void SetWindowIcons(std::uint64_t hWnd, const std::string& sIconResName, bool bSetOnTopOwner);

} // namespace modIcon
