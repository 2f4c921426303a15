// Sentrel on Linux: the main window on Qt Widgets, driving the core.

#include "app/frmMain.h"
#include "app/modKorvelIni.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/QtHost.h"

#include <QApplication>
#include <QSocketNotifier>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

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

int g_signalPipe[2] = {-1, -1};

void onEndSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

// The session ending (SIGTERM, SIGHUP) or Ctrl+C closes the window like the
// user would, so that a copy under way is finished rather than cut short.
void closeOnEndSignals(QWidget& window) {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char drained[16];
        while (::read(g_signalPipe[0], drained, sizeof drained) > 0) {
        }
        window.close();
    });
    struct sigaction action {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        ::sigaction(signal, &action, nullptr);
    }
}

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
        // The program ends when the window has unloaded and no copy runs, not
        // merely when its last window closes.
        QApplication::setQuitOnLastWindowClosed(false);

        ui::MainWindow window;
        ui::QtHost host(window);
        frmMain form(window.controls(), host);
        window.onClose = [&form] { form.Form_Unload(); };
        closeOnEndSignals(window);
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
