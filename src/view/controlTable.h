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

// What a picture box shows before anything is painted into it.
enum class Picture { None, Logo };

// Which of the drawn picture sets an image list holds.
enum class ImageSet { None, AnimationFrames, StateIcons };

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
    // A text box the user cannot type into.
    bool readOnly = false;
    Picture shows = Picture::None;
    ImageSet holds = ImageSet::None;
    // What assistive technology calls a control whose own text does not say
    // what it is: the caption of the label called `label` (which then points
    // at it), or else `accessibleName`.
    std::string_view label{};
    std::string_view accessibleName{};

    constexpr ControlDesign showing(Picture picture) const {
        ControlDesign design = *this;
        design.shows = picture;
        return design;
    }
    constexpr ControlDesign asReadOnly() const {
        ControlDesign design = *this;
        design.readOnly = true;
        return design;
    }
    constexpr ControlDesign labelledBy(std::string_view labelName) const {
        ControlDesign design = *this;
        design.label = labelName;
        return design;
    }
    constexpr ControlDesign named(std::string_view spoken) const {
        ControlDesign design = *this;
        design.accessibleName = spoken;
        return design;
    }
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

constexpr ControlDesign imageList(std::string_view name, ImageSet holds, int pictures, int size) {
    return {.name = name, .kind = ControlKind::ImageList, .value = pictures, .imageSize = size, .holds = holds};
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
        picture("picMain", {135, 45, 720, 720}, 19, false).showing(Picture::Logo).named("Sentrel"), // 48 pixels square
        control("lblTitle", Label, "Sentrel", {945, 90, 1455, 285}, 20, kTitleFont),
        control("lblSubTitle", Label, "Version", {945, 405, 1455, 285}, 21, kBoldFont),
        // A frame further each watch tick.
        picture("picAni", {1935, 315, 480, 480}, 22, false, "imlAnimation").named("Watch activity"),
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
        control("txtInterval", TextBox, "500", {120, 5535, 2295, 285}, 12).labelledBy("Label3"),
        control("Label4", Label, "File to Monitor", {120, 6015, 2055, 375}, 17, kBoldFont),
        // Empty until start-up fills in the stored path or platform::defaultWatchedPath().
        // The path is chosen with "...", which also stores it; a typed path
        // would be watched but forgotten at the next start, so the box only
        // shows the path.
        control("txtFileName", TextBox, "", {90, 6255, 10395, 285}, 13).asReadOnly().labelledBy("Label4"),
        // Its caption says nothing.
        control("cmdFileOpen", CommandButton, "...", {10530, 6255, 375, 285}, 14).named("Select a file to monitor"),
        picture("picProgress", {120, 6615, 10845, 135}, 18, true).named("Copy progress"), // a copy's progress
        detail::listView("lstLog", {2520, 45, 8475, 6015}, 15, "imgList").named("Log View"),
        detail::timer("Timer1", 500), // the watch tick
        detail::timer("Timer2", 10),  // the progress bar
        detail::imageList("imlAnimation", ImageSet::AnimationFrames, 18, 32),
        detail::imageList("imgList", ImageSet::StateIcons, 5, 16),
        ControlDesign{.name = "CommonDialog1", .kind = CommonDialog},
    };
}();

namespace detail {

// The place of the first control whose `field` is `value`, or
// kMainWindowControls.size(). Positions rather than pointers: the
// sanitizers' instrumentation keeps GCC from comparing addresses in a
// constant expression.
template <class Field>
constexpr std::size_t firstWith(Field ControlDesign::*field, Field value) noexcept {
    std::size_t position = 0;
    while (position < kMainWindowControls.size() && kMainWindowControls[position].*field != value) {
        ++position;
    }
    return position;
}

} // namespace detail

// The place in kMainWindowControls of the control called `name`, or
// kMainWindowControls.size() for a name the table lacks.
constexpr std::size_t positionOf(std::string_view name) noexcept {
    return detail::firstWith(&ControlDesign::name, name);
}

// The control called `name`, or nullptr.
constexpr const ControlDesign* findControl(std::string_view name) noexcept {
    const std::size_t position = positionOf(name);
    return position < kMainWindowControls.size() ? &kMainWindowControls[position] : nullptr;
}

// The image list that holds `images`, and the picture box that shows
// `picture`: the table has exactly one of each (checked below).
constexpr const ControlDesign& imageListHolding(ImageSet images) noexcept {
    return kMainWindowControls[detail::firstWith(&ControlDesign::holds, images)];
}
constexpr const ControlDesign& pictureBoxShowing(Picture picture) noexcept {
    return kMainWindowControls[detail::firstWith(&ControlDesign::shows, picture)];
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

// Whether the table has a control called `name` of `kind`.
constexpr bool isControl(std::string_view name, ControlKind kind) {
    const std::size_t position = positionOf(name);
    return position < kMainWindowControls.size() && kMainWindowControls[position].kind == kind;
}

template <class Field>
constexpr int holders(Field ControlDesign::*field, Field value) {
    int count = 0;
    for (const auto& design : kMainWindowControls) {
        count += design.*field == value ? 1 : 0;
    }
    return count;
}

// What each control says fits its kind: only text boxes are read-only, only
// picture boxes show a picture, every image list and nothing else holds a
// picture set, an image list or label named is one, and only controls with
// a window are named for assistive technology.
constexpr bool fitsItsKind(const ControlDesign& design) {
    using enum ControlKind;
    const bool windowed = design.rect.has_value();
    return (!design.readOnly || design.kind == TextBox) &&
           (design.shows == Picture::None || design.kind == PictureBox) &&
           ((design.holds != ImageSet::None) == (design.kind == ImageList)) &&
           (design.imageList.empty() || isControl(design.imageList, ImageList)) &&
           (design.label.empty() || (windowed && isControl(design.label, Label))) &&
           (design.accessibleName.empty() || windowed);
}

// Names are unique, tab positions run 0, 1, 2... without gaps, exactly the
// controls with a window have a place and a tab position, each control's
// fields fit its kind, and each picture set and the logo have exactly one
// control.
constexpr bool tableHoldsTogether() {
    int windowed = 0;
    for (std::size_t i = 0; i < kMainWindowControls.size(); ++i) {
        const auto& design = kMainWindowControls[i];
        if (positionOf(design.name) != i || design.rect.has_value() != design.tabIndex.has_value() ||
            !fitsItsKind(design)) {
            return false;
        }
        windowed += design.rect ? 1 : 0;
    }
    for (int tab = 0; tab < windowed; ++tab) {
        if (holders(&ControlDesign::tabIndex, std::optional<int>(tab)) != 1) {
            return false;
        }
    }
    return holders(&ControlDesign::holds, ImageSet::AnimationFrames) == 1 &&
           holders(&ControlDesign::holds, ImageSet::StateIcons) == 1 &&
           holders(&ControlDesign::shows, Picture::Logo) == 1;
}

static_assert(tableHoldsTogether());

} // namespace detail

} // namespace view
