#include "ui/win32/Win32MainWindow.h"

#include "platform/trail.h"
#include "platform/win32/text.h"
#include "platform/win32/windowClass.h"
#include "ui/win32/Win32Controls.h"
#include "ui/win32/Win32PictureBox.h"
#include "view/binder.h"
#include "view/controlTable.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace ui::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"SentrelMainWindow";
// The core's resize handler runs after the state change has been handled.
constexpr UINT kRunResize = WM_APP + 1;
// Child window identifiers: the control's place in the table plus this,
// clear of IDOK and IDCANCEL, which the dialog keys send.
constexpr int kFirstControlId = 100;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

bool registerWindowClass() {
    static const bool registered = platform::win32::registerWindowClass(
        kWindowClass, platform::win32::ownedWindowProc<MainWindow>, ::LoadCursorW(nullptr, IDC_ARROW),
        reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
    return registered;
}

// GetDpiForWindow where user32 has it (Windows 10 and later); else 96.
int dpiOf(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = [] {
        GetDpiForWindowFunction function = nullptr;
        if (HMODULE user32 = ::GetModuleHandleW(L"user32.dll")) {
            if (FARPROC found = ::GetProcAddress(user32, "GetDpiForWindow")) {
                static_assert(sizeof(found) == sizeof(function));
                std::memcpy(&function, &found, sizeof(function));
            }
        }
        return function;
    }();
    const UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(window) : 0;
    return dpi != 0 ? static_cast<int>(dpi) : 96;
}

int CALLBACK fontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM) {
    return 0; // one is enough
}

bool fontInstalled(const std::wstring& face) {
    HDC screen = ::GetDC(nullptr);
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    face.copy(wanted.lfFaceName, LF_FACESIZE - 1);
    const bool found = ::EnumFontFamiliesExW(screen, &wanted, fontFound, 0, 0) == 0;
    ::ReleaseDC(nullptr, screen);
    return found;
}

bool sameFont(const view::Font& x, const view::Font& y) {
    return x.face == y.face && x.points == y.points && x.bold == y.bold;
}

std::wstring wide(std::string_view text) {
    return platform::win32::wideFromUtf8(text);
}

bool takesInput(std::size_t position) {
    const view::ControlKind kind = view::kMainWindowControls[position].kind;
    return kind != view::ControlKind::Label && kind != view::ControlKind::PictureBox;
}

// How the windows stack, top first: the input controls keep their tab order,
// and the pictures and labels lie over each other as the table lists them
// (the animation over the end of the titles), in the places among them that
// the tab order leaves.
std::vector<std::size_t> stackingOrder(std::vector<std::size_t> tabOrder) {
    std::vector<std::size_t> passive;
    std::copy_if(tabOrder.begin(), tabOrder.end(), std::back_inserter(passive),
                 [](std::size_t position) { return !takesInput(position); });
    std::sort(passive.begin(), passive.end(), std::greater<>());
    auto next = passive.begin();
    for (auto& slot : tabOrder) {
        if (!takesInput(slot)) {
            slot = *next++;
        }
    }
    return tabOrder;
}

} // namespace

struct MainWindow::Controls {
    view::ControlAdapters<Win32Label, Win32Button, Win32CheckBox, Win32TextBox, Win32PictureBox, Win32ListView,
                          Win32Timer>
        adapters;
    // The child windows, at the same places.
    std::array<HWND, view::kMainWindowControls.size()> windows{};
};

MainWindow::MainWindow() : m_controls(std::make_unique<Controls>()) {
    INITCOMMONCONTROLSEX common{sizeof(common), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&common);
    if (!registerWindowClass()) {
        throw std::runtime_error("the main window's class cannot be registered");
    }
    const auto& form = view::kMainWindow;
    m_window =
        ::CreateWindowExW(0, kWindowClass, wide(form.caption).c_str(), kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
    if (m_window == nullptr) {
        throw std::runtime_error("the main window cannot be created");
    }
    m_dpi = dpiOf(m_window);
    fitToDesign(nullptr);
    ::SendMessageW(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(form.font)), FALSE);

    makePictures();
    try {
        createControls();
    } catch (...) {
        platform::trailCurrentException();
        release(); // the destructor does not run for a window that was never finished
        throw;
    }
}

MainWindow::~MainWindow() {
    release();
}

void MainWindow::release() noexcept {
    ::SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
    m_controls.reset(); // the timers stop and the picture boxes go while the window exists
    ::DestroyWindow(m_window);
    if (m_stateImages != nullptr) {
        ::ImageList_Destroy(m_stateImages);
    }
    for (const auto& [design, font] : m_fonts) {
        ::DeleteObject(font);
    }
}

void MainWindow::makePictures() {
    const auto side = [this](view::ImageSet images) {
        return ::MulDiv(view::imageListHolding(images).imageSize, m_dpi, 96);
    };
    m_stateIcons = pictures::stateIcons(side(view::ImageSet::StateIcons));
    m_frames = pictures::animationFrames(side(view::ImageSet::AnimationFrames));
    m_logo = pictures::logo(pixels(view::pictureBoxShowing(view::Picture::Logo).rect->width));
    const int listSide = side(view::ImageSet::StateIcons);
    m_stateImages =
        ::ImageList_Create(listSide, listSide, ILC_COLOR32 | ILC_MASK, static_cast<int>(m_stateIcons.get().size()), 0);
    for (HICON icon : m_stateIcons.get()) {
        ::ImageList_AddIcon(m_stateImages, icon);
    }
}

std::vector<HICON> MainWindow::imagesFor(const view::ControlDesign& design) const {
    const auto* list = view::findControl(design.imageList);
    switch (list != nullptr ? list->holds : view::ImageSet::None) {
    case view::ImageSet::AnimationFrames:
        return m_frames.get();
    case view::ImageSet::StateIcons:
        return m_stateIcons.get();
    case view::ImageSet::None:
        break;
    }
    return {};
}

void MainWindow::showDesignedPicture(Win32PictureBox& box, const view::ControlDesign& design) const {
    if (design.shows == view::Picture::Logo) {
        box.showIcon(m_logo.get().front());
    }
}

RECT MainWindow::placeOf(const view::TwipsRect& rect) const {
    return {pixels(rect.left), pixels(rect.top), pixels(rect.left) + pixels(rect.width),
            pixels(rect.top) + pixels(rect.height)};
}

void MainWindow::changeDpi(int dpi, const RECT& suggested) {
    if (dpi > 0 && dpi != m_dpi) {
        m_dpi = dpi;
        // The old fonts and image list go once every control has the new ones; the old icons stay, for the
        // tray may still show one of them.
        const auto oldFonts = std::exchange(m_fonts, {});
        HIMAGELIST oldImages = std::exchange(m_stateImages, nullptr);
        m_retiredIcons.push_back(std::move(m_stateIcons));
        m_retiredIcons.push_back(std::move(m_frames));
        m_retiredIcons.push_back(std::move(m_logo));
        makePictures();
        ::SendMessageW(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(view::kMainWindow.font)), FALSE);
        const auto& table = view::kMainWindowControls;
        for (std::size_t index = 0; index < table.size(); ++index) {
            const auto& design = table[index];
            HWND window = m_controls->windows[index];
            if (!design.rect || window == nullptr) {
                continue;
            }
            const RECT place = placeOf(*design.rect);
            if (auto* box = m_controls->adapters.find<Win32PictureBox>(index)) {
                box->rescale(place, imagesFor(design));
                showDesignedPicture(*box, design);
                continue;
            }
            ::SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
            ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(design.font)), TRUE);
            if (design.kind == view::ControlKind::ListView) {
                ::SendMessageW(window, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_stateImages));
                for (std::size_t column = 0; column < design.columns.size(); ++column) {
                    ::SendMessageW(window, LVM_SETCOLUMNWIDTH, column,
                                   MAKELPARAM(pixels(design.columns[column].widthTwips), 0));
                }
            }
        }
        for (const auto& [design, font] : oldFonts) {
            ::DeleteObject(font);
        }
        if (oldImages != nullptr) {
            ::ImageList_Destroy(oldImages);
        }
    }
    fitToDesign(&suggested); // where Windows suggests
    ::InvalidateRect(m_window, nullptr, TRUE);
}

void MainWindow::fitToDesign(const RECT* at) {
    RECT outer{0, 0, pixels(view::kMainWindow.clientWidth), pixels(view::kMainWindow.clientHeight)};
    ::AdjustWindowRectEx(&outer, kWindowStyle, FALSE, 0);
    ::SetWindowPos(m_window, nullptr, at != nullptr ? at->left : 0, at != nullptr ? at->top : 0,
                   outer.right - outer.left, outer.bottom - outer.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | (at != nullptr ? 0 : SWP_NOMOVE));
}

int MainWindow::pixels(int twips) const {
    // 15 twips to a pixel at 96 dpi, to the nearest pixel.
    return (twips * m_dpi + 720) / 1440;
}

HFONT MainWindow::fontFor(const view::Font& font) {
    for (const auto& [design, made] : m_fonts) {
        if (sameFont(design, font)) {
            return made;
        }
    }
    // The designed face where it is installed; otherwise the dialog font, which Windows maps to what it has.
    const std::wstring face = fontInstalled(wide(font.face)) ? wide(font.face) : std::wstring(L"MS Shell Dlg");
    HFONT made =
        ::CreateFontW(-static_cast<int>(std::lround(font.points * m_dpi / 72.0)), 0, 0, 0,
                      font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face.c_str());
    m_fonts.emplace_back(font, made);
    return made;
}

void MainWindow::createControls() {
    // Created in tab order: the dialog keys walk the windows in the order they were made.
    const auto order = view::windowsInTabOrder();
    for (const std::size_t position : order) {
        m_controls->windows[position] = createWindowed(position);
    }
    createTimers();
    HWND above = HWND_TOP;
    for (const std::size_t position : stackingOrder(order)) {
        HWND window = m_controls->windows[position];
        ::SetWindowPos(window, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        above = window;
    }
}

HWND MainWindow::createWindowed(std::size_t position) {
    const auto& design = view::kMainWindowControls[position];
    HWND made = nullptr;
    switch (design.kind) {
    case view::ControlKind::PictureBox:
        made = createPictureBox(position);
        break;
    case view::ControlKind::Label:
        // A designed caption starts at its label's top left corner, however tall the label.
        // Never wrapped: a caption longer than its label is cut off at the right.
        made = createChild(position, 0, L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX);
        m_controls->adapters.add(position, std::make_unique<Win32Label>(made));
        break;
    case view::ControlKind::CommandButton:
        made = createChild(position, 0, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP);
        m_controls->adapters.add(position, std::make_unique<Win32Button>());
        break;
    case view::ControlKind::CheckBox:
        // Three states, advanced by the program: a click never makes it grey.
        made = createChild(position, 0, L"BUTTON", BS_3STATE | WS_TABSTOP);
        // No handler is set yet.
        m_controls->adapters.add(position, std::make_unique<Win32CheckBox>(made)).setValue(design.value);
        break;
    case view::ControlKind::TextBox:
        made = createChild(position, WS_EX_CLIENTEDGE, L"EDIT",
                           ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP | (design.readOnly ? ES_READONLY : 0));
        m_controls->adapters.add(position, std::make_unique<Win32TextBox>(made));
        break;
    case view::ControlKind::ListView:
        made = createListView(position);
        break;
    case view::ControlKind::Timer:
    case view::ControlKind::ImageList:
    case view::ControlKind::CommonDialog:
        return nullptr; // no window
    }
    ::SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(design.font)), FALSE);
    return made;
}

HWND MainWindow::createChild(std::size_t position, DWORD exStyle, const wchar_t* windowClass, DWORD style) const {
    const auto& design = view::kMainWindowControls[position];
    const RECT place = placeOf(*design.rect);
    auto* id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + static_cast<int>(position)));
    HWND made = ::CreateWindowExW(exStyle, windowClass, wide(design.text).c_str(),
                                  WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, place.left, place.top,
                                  place.right - place.left, place.bottom - place.top, m_window, id,
                                  ::GetModuleHandleW(nullptr), nullptr);
    if (made == nullptr) {
        throw std::runtime_error("a control of the main window cannot be created");
    }
    return made;
}

HWND MainWindow::createPictureBox(std::size_t position) {
    const auto& design = view::kMainWindowControls[position];
    const auto& rect = *design.rect;
    auto box = std::make_unique<Win32PictureBox>(m_window, placeOf(rect), rect.width, rect.height, design.border,
                                                 imagesFor(design));
    if (box->handle() == nullptr) {
        throw std::runtime_error("a picture box of the main window cannot be created");
    }
    showDesignedPicture(*box, design);
    return m_controls->adapters.add(position, std::move(box)).handle();
}

HWND MainWindow::createListView(std::size_t position) {
    HWND list =
        createChild(position, WS_EX_CLIENTEDGE, WC_LISTVIEWW,
                    LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL | LVS_SHAREIMAGELISTS | WS_TABSTOP);
    ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
                   LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    ::SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_stateImages));
    int inserted = 0;
    for (const auto& column : view::kMainWindowControls[position].columns) {
        std::wstring header = wide(column.header);
        LVCOLUMNW lvColumn{};
        lvColumn.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        lvColumn.fmt = LVCFMT_LEFT;
        lvColumn.cx = pixels(column.widthTwips);
        lvColumn.pszText = header.data();
        lvColumn.iSubItem = static_cast<int>(column.column);
        ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(inserted++), reinterpret_cast<LPARAM>(&lvColumn));
    }
    m_controls->adapters.add(position, std::make_unique<Win32ListView>(list));
    return list;
}

// The controls without a window.
void MainWindow::createTimers() {
    for (std::size_t position = 0; position < view::kMainWindowControls.size(); ++position) {
        const auto& design = view::kMainWindowControls[position];
        if (design.kind == view::ControlKind::Timer) {
            auto& timer =
                m_controls->adapters.add(position, std::make_unique<Win32Timer>(m_window, kFirstControlId + position));
            timer.setInterval(design.value);
            timer.setEnabled(design.enabled);
        }
    }
}

frmMainControls MainWindow::controls() {
    return m_controls->adapters.bind(*this);
}

HWND MainWindow::control(std::string_view name) const {
    const std::size_t position = view::positionOf(name);
    return position < m_controls->windows.size() ? m_controls->windows[position] : nullptr;
}

HICON MainWindow::stateIcon(int image) const {
    const auto& icons = m_stateIcons.get();
    return image >= 1 && static_cast<std::size_t>(image) <= icons.size() ? icons[static_cast<std::size_t>(image - 1)]
                                                                         : nullptr;
}

HICON MainWindow::windowIcon() const {
    auto* own =
        static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON,
                                        ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (own != nullptr) {
        return own;
    }
    if (m_drawnWindowIcon.get().empty()) {
        // Drawn on first use only: an executable with its icon never needs it.
        m_drawnWindowIcon = pictures::windowIcon(::GetSystemMetrics(SM_CXSMICON));
    }
    return m_drawnWindowIcon.get().empty() ? nullptr : m_drawnWindowIcon.get().front();
}

void MainWindow::setCaption(const std::string& caption) noexcept {
    try {
        ::SetWindowTextW(m_window, wide(caption).c_str());
    } catch (...) {
        platform::trailCurrentException();
        // Out of memory for the conversion: the caption stays.
    }
}

view::WindowState MainWindow::state() const noexcept {
    if (::IsIconic(m_window)) {
        return view::WindowState::Minimized;
    }
    return ::IsZoomed(m_window) ? view::WindowState::Maximized : view::WindowState::Normal;
}

void MainWindow::setState(view::WindowState wanted) noexcept {
    if (wanted == state()) {
        return; // ShowWindow would show a hidden window
    }
    switch (wanted) {
    case view::WindowState::Minimized:
        ::ShowWindow(m_window, SW_MINIMIZE);
        break;
    case view::WindowState::Maximized:
        ::ShowWindow(m_window, SW_MAXIMIZE);
        break;
    case view::WindowState::Normal:
        ::ShowWindow(m_window, SW_RESTORE);
        break;
    }
}

void MainWindow::show() noexcept {
    ::ShowWindow(m_window, SW_SHOW);
}

void MainWindow::hide() noexcept {
    ::ShowWindow(m_window, SW_HIDE);
}

void MainWindow::bringToFront() noexcept {
    if (!::SetForegroundWindow(m_window)) {
        // Windows keeps the focus with the program the user works in; the
        // task bar button asks for attention instead.
        FLASHWINFO flash{sizeof(flash), m_window, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
        ::FlashWindowEx(&flash);
    }
}

void MainWindow::close() noexcept {
    // Queued: the request may come from inside the tray's own message handling.
    ::PostMessageW(m_window, WM_CLOSE, 0, 0);
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    auto& c = *m_controls;
    switch (message) {
    case WM_COMMAND: {
        const auto index = static_cast<std::size_t>(LOWORD(wParam)) - kFirstControlId;
        const WORD code = HIWORD(wParam);
        if (LOWORD(wParam) == IDOK && lParam == 0) {
            // Enter, turned into IDOK by the dialog keys: on the list it opens the row's copy.
            const HWND focus = ::GetFocus();
            const auto id = static_cast<std::size_t>(focus != nullptr ? ::GetDlgCtrlID(focus) : 0);
            if (auto* list = c.adapters.find<Win32ListView>(id - kFirstControlId)) {
                list->openFocusedRow();
                return 0;
            }
        }
        if (lParam == 0 || LOWORD(wParam) < kFirstControlId) {
            break;
        }
        if (code == BN_CLICKED) {
            if (auto* button = c.adapters.find<Win32Button>(index)) {
                button->clicked();
                return 0;
            }
            if (auto* box = c.adapters.find<Win32CheckBox>(index)) {
                box->clicked();
                return 0;
            }
        } else if (code == EN_CHANGE) {
            if (auto* box = c.adapters.find<Win32TextBox>(index)) {
                box->changed();
                return 0;
            }
        }
        break;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        auto* list = c.adapters.find<Win32ListView>(static_cast<std::size_t>(header->idFrom) - kFirstControlId);
        if (list == nullptr) {
            break;
        }
        if (header->code == LVN_GETDISPINFOW) {
            list->fillDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
            return 0;
        }
        if (const auto result = list->notified(*header)) {
            return *result;
        }
        break;
    }
    case WM_CONTEXTMENU: {
        const auto id = static_cast<std::size_t>(::GetDlgCtrlID(reinterpret_cast<HWND>(wParam)));
        if (auto* list = c.adapters.find<Win32ListView>(id - kFirstControlId)) {
            list->contextMenu(lParam);
            return 0;
        }
        break;
    }
    case WM_TIMER:
        if (auto* timer = c.adapters.find<Win32Timer>(static_cast<std::size_t>(wParam) - kFirstControlId)) {
            timer->fired();
            return 0;
        }
        break;
    case WM_SIZE: {
        const view::WindowState now = wParam == SIZE_MINIMIZED   ? view::WindowState::Minimized
                                      : wParam == SIZE_MAXIMIZED ? view::WindowState::Maximized
                                                                 : view::WindowState::Normal;
        if (now != m_lastState && (wParam == SIZE_MINIMIZED || wParam == SIZE_MAXIMIZED || wParam == SIZE_RESTORED)) {
            m_lastState = now;
            // Hiding from inside the state change would leave the task bar
            // button behind; the handler runs once the change is complete.
            ::PostMessageW(m_window, kRunResize, 0, 0);
        }
        break;
    }
    case kRunResize:
        view::runHandler(onResize);
        return 0;
    case WM_DPICHANGED:
        changeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_ACTIVATE:
        // The control that had the focus gets it back when the window is activated again.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = ::GetFocus();
            m_focus = focus != nullptr && ::IsChild(m_window, focus) ? focus : m_focus;
        } else if (!HIWORD(wParam)) {
            HWND focus = m_focus != nullptr && ::IsWindow(m_focus) ? m_focus : control("cmdMonitorOpen");
            ::SetFocus(focus);
            return 0;
        }
        break;
    case WM_CLOSE:
        // The window disappears at once; the program ends once the core has unloaded.
        view::runHandler(onClose);
        ::ShowWindow(m_window, SW_HIDE);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(m_window, message, wParam, lParam);
}

} // namespace ui::win32
