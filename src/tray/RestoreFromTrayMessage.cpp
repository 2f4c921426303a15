#include "tray/RestoreFromTrayMessage.h"

#include "common/continueOnError.h"
#include "common/convert.h"

namespace modKorvel {

void BringWindowBack(view::Window& window) {
    continueOnError([&] { window.setState(view::WindowState::Normal); });
    continueOnError([&] { window.show(); });
    continueOnError([&] { window.bringToFront(); });
}

void RestoreFromTrayMessage(view::Window& window, std::int32_t /*button: not looked at*/, float x, float twipsPerPixelX,
                            const std::function<void()>& popupMenu) {
    std::int32_t message = 0;
    continueOnError([&] {
        if (twipsPerPixelX != 0) {
            message = convert::ToInt32(static_cast<double>(x) / static_cast<double>(twipsPerPixelX)).value_or(0);
        }
    });
    if (message != 514 && message != 517) {
        return;
    }
    BringWindowBack(window);
    if (message == 517 && popupMenu) {
        continueOnError(popupMenu);
    }
}

} // namespace modKorvel
