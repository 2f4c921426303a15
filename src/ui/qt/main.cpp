// Sentrel on Linux: the main window on Qt Widgets, driving the core.

#include "app/frmMain.h"
#include "app/modKorvelIni.h"
#include "common/version.h"
#include "ui/qt/EndSignals.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/QtHost.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

bool hasDisplay() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

// How long the program waits at its end for settings still being written.
constexpr std::chrono::seconds kSettingsFlushLimit{10};

} // namespace

int main(int argc, char** argv) {
    if (!hasDisplay()) {
        std::fprintf(stderr,
                     "Sentrel needs a graphical desktop, and none was found (DISPLAY is not set).\n"
                     "Start it from your desktop session, or without one under a virtual display:\n"
                     "    xvfb-run -a %s\n",
                     argc > 0 ? argv[0] : "sentrel");
        return 1;
    }
    try {
        QApplication application(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Sentrel"));
        // Lets the desktop match the window with the installed desktop entry,
        // and so show the entry's name and icon for it.
        QApplication::setDesktopFileName(
            QString::fromUtf8(kDesktopId.data(), static_cast<qsizetype>(kDesktopId.size())));
        // The program ends when the window has unloaded and no copy runs, not
        // merely when its last window closes.
        QApplication::setQuitOnLastWindowClosed(false);

        ui::MainWindow window;
        ui::QtHost host(window);
        frmMain form(window.controls(), host);
        window.onClose = [&form] { form.Form_Unload(); };
        ui::closeOnEndSignals(window);
        form.Form_Load();
        window.show();
        const int status = QApplication::exec();
        // The settings store writes in the background: what it was asked to
        // write last reaches the file before the program ends.
        flushIniWrites(kSettingsFlushLimit);
        return status;
    } catch (...) {
        std::fprintf(stderr, "Sentrel: an unexpected error ended the program.\n");
        return 2;
    }
}
