#pragma once
// The controls frmMain drives, bound to a front end's adapters through the
// control table. Both front ends keep their adapters here, each at its
// control's place in the table, and bind from here, so the controls are
// named once; each name is checked against the table when compiled: one the
// table lacks, or a control bound as another kind, does not build.

#include "view/controlTable.h"
#include "view/controls.h"

#include <array>
#include <concepts>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <variant>

namespace view {

// The window's controls, by the names the program gives them.
struct MainWindowControls {
    Window& window;
    Label& lblSubTitle;
    PictureBox& picAni;
    PictureBox& picProgress;
    Button& cmdMonitorOpen;
    Button& cmdOpenFolder;
    Button& cmdMakeCopy;
    Button& cmdFolderCopiesOpen;
    Button& cmdOpenLog;
    Button& cmdClearLogView;
    Button& cmdFileOpen;
    CheckBox& chkMonitor;
    CheckBox& chkMakeCopy;
    CheckBox& chkBalloonTip;
    CheckBox& chkNotify;
    CheckBox& chkBeep;
    CheckBox& chkFollowLog;
    TextBox& txtInterval;
    TextBox& txtFileName;
    ListView& lstLog;
    Timer& Timer1;
    Timer& Timer2;
};

namespace detail {

template <class Interface>
consteval ControlKind kindDrivenBy() {
    using enum ControlKind;
    if constexpr (std::same_as<Interface, view::Label>) {
        return Label;
    } else if constexpr (std::same_as<Interface, view::Button>) {
        return CommandButton;
    } else if constexpr (std::same_as<Interface, view::CheckBox>) {
        return CheckBox;
    } else if constexpr (std::same_as<Interface, view::TextBox>) {
        return TextBox;
    } else if constexpr (std::same_as<Interface, view::PictureBox>) {
        return PictureBox;
    } else if constexpr (std::same_as<Interface, view::ListView>) {
        return ListView;
    } else {
        static_assert(std::same_as<Interface, view::Timer>);
        return Timer;
    }
}

// The place in kMainWindowControls of the control called `name`, which
// `Interface` drives; a string literal converts to it. Made only while
// compiling: a name the table lacks, or a control of another kind, stops the
// build at the throw.
template <class Interface>
struct ControlAt {
    consteval ControlAt(const char* name) : position(positionOf(name)) {
        if (!isControl(name, kindDrivenBy<Interface>())) {
            throw std::logic_error("not a control of the table, or one of another kind");
        }
    }
    std::size_t position;
};

} // namespace detail

// A front end's adapters, each at its control's place in kMainWindowControls;
// none where the front end needs none.
template <class... Adapter>
class ControlAdapters {
public:
    template <class T>
    T& add(std::size_t position, std::unique_ptr<T> adapter) {
        T& added = *adapter;
        m_slots.at(position) = std::move(adapter);
        return added;
    }

    // The adapter at `position` if it is a T, else nullptr.
    template <class T>
    T* find(std::size_t position) const noexcept {
        if (position >= m_slots.size()) {
            return nullptr;
        }
        const auto* held = std::get_if<std::unique_ptr<T>>(&m_slots[position]);
        return held != nullptr ? held->get() : nullptr;
    }

    // frmMain's controls: `window` and these adapters. Throws when the front
    // end made no adapter for one of them.
    MainWindowControls bind(Window& window) const {
        return {window,
                as<Label>("lblSubTitle"),
                as<PictureBox>("picAni"),
                as<PictureBox>("picProgress"),
                as<Button>("cmdMonitorOpen"),
                as<Button>("cmdOpenFolder"),
                as<Button>("cmdMakeCopy"),
                as<Button>("cmdFolderCopiesOpen"),
                as<Button>("cmdOpenLog"),
                as<Button>("cmdClearLogView"),
                as<Button>("cmdFileOpen"),
                as<CheckBox>("chkMonitor"),
                as<CheckBox>("chkMakeCopy"),
                as<CheckBox>("chkBalloonTip"),
                as<CheckBox>("chkNotify"),
                as<CheckBox>("chkBeep"),
                as<CheckBox>("chkFollowLog"),
                as<TextBox>("txtInterval"),
                as<TextBox>("txtFileName"),
                as<ListView>("lstLog"),
                as<Timer>("Timer1"),
                as<Timer>("Timer2")};
    }

private:
    template <class Interface>
    Interface& as(detail::ControlAt<Interface> control) const {
        Interface* adapter = std::visit(
            [](const auto& held) -> Interface* {
                if constexpr (requires {
                                  { held.get() } -> std::convertible_to<Interface*>;
                              }) {
                    return held.get();
                } else {
                    return nullptr;
                }
            },
            m_slots[control.position]);
        if (adapter == nullptr) {
            throw std::logic_error("a control of the main window has no adapter");
        }
        return *adapter;
    }

    std::array<std::variant<std::monostate, std::unique_ptr<Adapter>...>, kMainWindowControls.size()> m_slots{};
};

} // namespace view
