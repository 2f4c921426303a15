#pragma once
// The main window as it is designed: the window itself and every control on
// it, with its kind, caption, place, font, tab position and starting value.
// Each front end builds its window from this table alone, so the Qt window
// and the native one cannot drift apart. Plain constexpr data: no toolkit.

#include "view/listColumns.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace view {

enum class ControlKind {
    PictureBox,
    Label,
    CommandButton,
    CheckBox,
    TextBox,
    ListView, // report view: one row per change, the columns of kListColumns
    Timer,
    ImageList,
    CommonDialog,
};

// Left, top, width and height in twips: 15 to a pixel at 96 dpi, scaled with the screen.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct Font {
    std::string_view face;
    double points = 0;
    bool bold = false;
};

inline constexpr Font kFormFont{"Tahoma", 8.25, false};
inline constexpr Font kBoldFont{"Tahoma", 8.25, true};
inline constexpr Font kTitleFont{"Tahoma", 9.75, true};

struct WindowDesign {
    std::string_view name;
    std::string_view caption; // start-up adds the version
    int clientWidth = 0;      // twips
    int clientHeight = 0;     // twips
    Font font;                // what the controls use unless they say otherwise
};

inline constexpr WindowDesign kMainWindow{"frmMain", "Sentrel", 11070, 6780, kFormFont};

struct ControlDesign {
    std::string_view name;
    ControlKind kind = ControlKind::Label;
    // A caption, or a text box's text.
    std::string_view text{};
    // None for what has no window: timers, image lists, the dialog.
    std::optional<TwipsRect> rect{};
    Font font = kFormFont;
    // None for what has no window.
    std::optional<int> tabIndex{};
    // A timer's interval in ms, a check box's value (0 not ticked), an image list's picture count.
    int value = 0;
    // Timers start stopped.
    bool enabled = true;
    // A picture box's frame.
    bool border = false;
    // The image list a picture box or the list view takes its pictures from.
    std::string_view imageList{};
    // An image list's pictures are this many pixels square.
    int imageSize = 0;
    // The list view's columns.
    std::span<const ListColumn> columns{};
};

namespace detail {

constexpr ControlDesign control(std::string_view name, ControlKind kind, std::string_view text, TwipsRect rect,
                                int tabIndex, Font font = kFormFont) {
    return {.name = name, .kind = kind, .text = text, .rect = rect, .font = font, .tabIndex = tabIndex};
}

constexpr ControlDesign picture(std::string_view name, TwipsRect rect, int tabIndex, bool border,
                                std::string_view imageList = {}) {
    ControlDesign design = control(name, ControlKind::PictureBox, {}, rect, tabIndex);
    design.border = border;
    design.imageList = imageList;
    return design;
}

constexpr ControlDesign timer(std::string_view name, int interval) {
    return {.name = name, .kind = ControlKind::Timer, .value = interval, .enabled = false};
}

constexpr ControlDesign imageList(std::string_view name, int pictures, int size) {
    return {.name = name, .kind = ControlKind::ImageList, .value = pictures, .imageSize = size};
}

constexpr ControlDesign listView(std::string_view name, TwipsRect rect, int tabIndex, std::string_view imageList) {
    ControlDesign design = control(name, ControlKind::ListView, {}, rect, tabIndex);
    design.imageList = imageList;
    design.columns = kListColumns;
    return design;
}

} // namespace detail

// In the order the controls are created, which is also how they stack: the
// animation lies over the end of the titles.
inline constexpr auto kMainWindowControls = [] {
    using enum ControlKind;
    using detail::control;
    using detail::picture;
    return std::array{
        picture("picMain", {135, 45, 720, 720}, 19, false), // the logo, 48 pixels square
        control("lblTitle", Label, "Sentrel", {945, 90, 1455, 285}, 20, kTitleFont),
        control("lblSubTitle", Label, "Version", {945, 405, 1455, 285}, 21, kBoldFont),
        picture("picAni", {1935, 315, 480, 480}, 22, false, "imlAnimation"), // a frame further each watch tick
        control("cmdMonitorOpen", CommandButton, "Open Monitored File", {120, 945, 2295, 320}, 0),
        control("cmdOpenFolder", CommandButton, "Open Folder of Monitored File", {120, 1305, 2295, 320}, 1),
        control("cmdMakeCopy", CommandButton, "Make Copy of Monitored File", {120, 1665, 2295, 320}, 2),
        control("cmdFolderCopiesOpen", CommandButton, "Open Copies Folder", {120, 2025, 2295, 320}, 3),
        control("cmdOpenLog", CommandButton, "Open Log File", {120, 2385, 2295, 320}, 4),
        control("cmdClearLogView", CommandButton, "Clear Log View", {120, 2745, 2295, 320}, 5),
        control("chkMonitor", CheckBox, "Monitor On/Off", {120, 3465, 2295, 320}, 6, kBoldFont),
        control("chkMakeCopy", CheckBox, "Make Copy on Change", {135, 3825, 2295, 255}, 7),
        control("chkBalloonTip", CheckBox, "Balloon Tip on Change", {135, 4095, 2295, 255}, 8),
        control("chkNotify", CheckBox, "Set Focus on Change", {135, 4365, 2295, 255}, 9),
        control("chkBeep", CheckBox, "Beep on Change", {135, 4635, 1815, 255}, 10),
        control("chkFollowLog", CheckBox, "Follow Log", {135, 4905, 1815, 255}, 11),
        control("Label3", Label, "Check Interval (ms)", {120, 5265, 2055, 375}, 16, kBoldFont),
        control("txtInterval", TextBox, "500", {120, 5535, 2295, 285}, 12),
        control("Label4", Label, "File to Monitor", {120, 6015, 2055, 375}, 17, kBoldFont),
        // Empty until start-up fills in the stored path or platform::defaultWatchedPath().
        control("txtFileName", TextBox, "", {90, 6255, 10395, 285}, 13),
        control("cmdFileOpen", CommandButton, "...", {10530, 6255, 375, 285}, 14),
        picture("picProgress", {120, 6615, 10845, 135}, 18, true), // a copy's progress
        detail::listView("lstLog", {2520, 45, 8475, 6015}, 15, "imgList"),
        detail::timer("Timer1", 500), // the watch tick
        detail::timer("Timer2", 10),  // the progress bar
        detail::imageList("imlAnimation", 18, 32),
        detail::imageList("imgList", 5, 16), // the change states
        ControlDesign{.name = "CommonDialog1", .kind = CommonDialog},
    };
}();

// The control called `name`, or nullptr.
constexpr const ControlDesign* findControl(std::string_view name) noexcept {
    for (const auto& design : kMainWindowControls) {
        if (design.name == name) {
            return &design;
        }
    }
    return nullptr;
}

// The controls that have a window, as positions in kMainWindowControls, in
// their tab order.
inline std::vector<std::size_t> windowsInTabOrder() {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < kMainWindowControls.size(); ++i) {
        if (kMainWindowControls[i].rect) {
            order.push_back(i);
        }
    }
    std::sort(order.begin(), order.end(), [](std::size_t x, std::size_t y) {
        return *kMainWindowControls[x].tabIndex < *kMainWindowControls[y].tabIndex;
    });
    return order;
}

namespace detail {

// Positions rather than pointers: the sanitizers' instrumentation keeps
// GCC from comparing addresses in a constant expression.
constexpr std::size_t indexOf(std::string_view name) noexcept {
    for (std::size_t i = 0; i < kMainWindowControls.size(); ++i) {
        if (kMainWindowControls[i].name == name) {
            return i;
        }
    }
    return kMainWindowControls.size();
}

// Names are unique, tab positions run 0, 1, 2... without gaps, exactly the
// controls with a window have a place and a tab position, and every image
// list named is one.
constexpr bool tableHoldsTogether() {
    int windowed = 0;
    for (std::size_t i = 0; i < kMainWindowControls.size(); ++i) {
        const auto& design = kMainWindowControls[i];
        if (indexOf(design.name) != i || design.rect.has_value() != design.tabIndex.has_value()) {
            return false;
        }
        windowed += design.rect ? 1 : 0;
    }
    for (int tab = 0; tab < windowed; ++tab) {
        int holders = 0;
        for (const auto& design : kMainWindowControls) {
            holders += design.tabIndex == tab ? 1 : 0;
        }
        if (holders != 1) {
            return false;
        }
    }
    for (const auto& design : kMainWindowControls) {
        if (design.imageList.empty()) {
            continue;
        }
        const std::size_t list = indexOf(design.imageList);
        if (list == kMainWindowControls.size() || kMainWindowControls[list].kind != ControlKind::ImageList) {
            return false;
        }
    }
    return true;
}

static_assert(tableHoldsTogether());

} // namespace detail

} // namespace view
