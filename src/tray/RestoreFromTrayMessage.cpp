#include "tray/RestoreFromTrayMessage.h"

#include "common/continueOnError.h"
#include "common/convert.h"
#include "tray/notifyIconProtocol.h"

namespace tray {

void bringWindowBack(view::Window& window) noexcept {
    window.setState(view::WindowState::Normal);
    window.show();
    window.bringToFront();
}

} // namespace tray

namespace modKorvel {

void RestoreFromTrayMessage(view::Window& window, std::int32_t /*button: not looked at*/, float x, float twipsPerPixelX,
                            const std::function<void()>& popupMenu) {
    std::int32_t message = 0;
    if (twipsPerPixelX != 0) {
        message = convert::toInt32(static_cast<double>(x) / static_cast<double>(twipsPerPixelX)).value_or(0);
    }
    if (message != tray::callback::LeftButtonUp && message != tray::callback::RightButtonUp) {
        return;
    }
    tray::bringWindowBack(window);
    if (message == tray::callback::RightButtonUp && popupMenu) {
        continueOnError(popupMenu);
    }
}

} // namespace modKorvel
