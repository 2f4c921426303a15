// The main window's handling of its tray icon: bring the window back, pop up
// the menu, and carry out the menu's "open" and "close"; and bringing the
// window back when another start of the program asks for it; and the
// balloons the window shows from the icon.

#include "app/frmMain.h"

#include "common/continueOnError.h"
#include "tray/RestoreFromTrayMessage.h"

// A notification that asks nothing of the user, from the tray icon where there is one.
void frmMain::showBalloon(const std::string& message, const std::string& title, std::int32_t icon) {
    if (m_frmSysTray) {
        continueOnError([&] { m_frmSysTray->ShowBalloonTip(message, title, icon, 100); });
    }
}

void frmMain::wireSysTray() {
    if (!m_frmSysTray) {
        return;
    }
    // Events arrive from the component's own message handling: whatever
    // escapes a handler ends here.
    SysTrayEvents events;
    events.SysTrayMouseUp = [this](std::int32_t eButton) {
        continueOnError([&] { m_frmSysTray_SysTrayMouseUp(eButton); });
    };
    events.SysTrayMouseDown = [this](std::int32_t eButton) {
        continueOnError([&] { m_frmSysTray_SysTrayMouseDown(eButton); });
    };
    events.SysTrayDoubleClick = [this](std::int32_t eButton) {
        continueOnError([&] { m_frmSysTray_SysTrayDoubleClick(eButton); });
    };
    events.MenuClick = [this](std::int32_t lIndex, const std::string& sKey) {
        continueOnError([&] { m_frmSysTray_MenuClick(lIndex, sKey); });
    };
    m_frmSysTray->setEvents(std::move(events));
}

void frmMain::bringBackMainWindow() {
    m_outOfSight = false;
    endResting();
    tray::bringWindowBack(m_controls.window);
}

bool frmMain::bringForward() noexcept {
    if (m_unloaded || m_unloadPending) {
        return false;
    }
    bringBackMainWindow(); // never fails: each step runs whatever became of the one before
    return true;
}

void frmMain::m_frmSysTray_SysTrayMouseUp(std::int32_t eButton) {
    if (eButton == trayButton::Left) {
        bringBackMainWindow();
    }
}

void frmMain::m_frmSysTray_SysTrayMouseDown(std::int32_t eButton) {
    if (eButton == trayButton::Right && m_frmSysTray) {
        const NestedLoop menu(*this);
        m_frmSysTray->ShowMenu();
    }
}

void frmMain::m_frmSysTray_SysTrayDoubleClick(std::int32_t /*eButton: either button*/) {
    bringBackMainWindow();
}

void frmMain::m_frmSysTray_MenuClick(std::int32_t /*lIndex: the key alone decides*/, const std::string& sKey) {
    if (sKey == "open") {
        bringBackMainWindow();
    } else if (sKey == "close") {
        m_controls.window.close();
    }
}
