#pragma once
// Runs a core handler from a Qt signal or event.

#include "platform/trail.h"
#include "view/controls.h"

namespace ui {

// Nothing thrown may cross into Qt's event loop; the core reports its own
// errors at its handlers' entry, so whatever still arrives here is dropped.
inline void runHandler(const view::Handler& handler) noexcept {
    try {
        if (handler) {
            handler();
        }
    } catch (...) {
        platform::trailCurrentException();
    }
}

} // namespace ui
