#pragma once
// Bringing a window back from the notification area, and from a notify-icon
// callback that arrives as a mouse move: the pointer's X position, in twips,
// carries the mouse message.

#include "view/controls.h"

#include <cstdint>
#include <functional>

namespace tray {

// The window in its normal state, shown, and brought to the front; each step
// runs whatever became of the one before.
void bringWindowBack(view::Window& window) noexcept;

} // namespace tray

namespace modKorvel {

// Left button released restores, shows and foregrounds the window; right
// button released does the same and then pops `popupMenu` up when one is
// given. Anything else does nothing. The button is not looked at; nothing
// fails to the caller.
void RestoreFromTrayMessage(view::Window& window, std::int32_t button, float x, float twipsPerPixelX = 15.0f,
                            const std::function<void()>& popupMenu = {});

} // namespace modKorvel
