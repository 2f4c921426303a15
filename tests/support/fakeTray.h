#pragma once
// A notify shell and hidden tray window that record what the tray component
// asks of them, and let a test deliver callbacks and choose menu items.

#include "platform/notifyIcon.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace testsupport {

class FakeTray : public platform::NotifyShell, public platform::TrayWindow {
public:
    struct Call {
        platform::NotifyMessage message;
        bool wide;
        platform::NotifyIconDataW w; // the record passed, when wide
        platform::NotifyIconDataA a; // the record passed, when narrow
    };

    void notifyIcon(platform::NotifyMessage message, const platform::NotifyIconDataW& record) override {
        calls.push_back(Call{message, true, record, {}});
    }
    void notifyIcon(platform::NotifyMessage message, const platform::NotifyIconDataA& record) override {
        calls.push_back(Call{message, false, {}, record});
    }

    Handles create(platform::TrayWindowCallbacks windowCallbacks) override {
        ++creates;
        callbacks = std::move(windowCallbacks);
        return handles;
    }
    void destroy() override {
        ++destroys;
        callbacks = {};
    }
    std::optional<std::int32_t> popupMenu(const std::vector<platform::PopupMenuItem>& items,
                                          std::optional<std::int32_t> defaultIndex) override {
        ++popups;
        shownItems = items;
        shownDefault = defaultIndex;
        return choice;
    }

    // Delivers a callback message to the component, as the shell would.
    void deliver(std::int32_t value) {
        if (callbacks.callback) {
            auto callback = callbacks.callback;
            callback(value);
        }
    }

    Handles handles{0x00000000'00401A2Cu, 0x00000000'0001002Bu};
    std::vector<Call> calls;
    platform::TrayWindowCallbacks callbacks;
    int creates = 0;
    int destroys = 0;
    int popups = 0;
    std::vector<platform::PopupMenuItem> shownItems;
    std::optional<std::int32_t> shownDefault;
    // The item the user picks in the next popup; nullopt dismisses the menu.
    std::optional<std::int32_t> choice;
};

} // namespace testsupport
