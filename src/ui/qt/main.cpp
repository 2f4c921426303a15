// Sentrel on Linux: the main window on Qt Widgets, driving the core.

#include "app/frmMain.h"
#include "app/modKorvelIni.h"
#include "common/version.h"
#include "platform/paths.h"
#include "platform/trail.h"
#include "ui/qt/CommandLine.h"
#include "ui/qt/EndSignals.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/QtHost.h"
#include "ui/qt/QtText.h"
#include "ui/qt/SingleInstance.h"

#include <QApplication>
#include <QLoggingCategory>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

// Off unless --verbose or QT_LOGGING_RULES="sentrel.trail.debug=true" turns it on.
Q_LOGGING_CATEGORY(trailCategory, "sentrel.trail", QtInfoMsg)

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

// --help and --version: the text on standard output, and whether it got there.
int print(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const auto commandLine = ui::readCommandLine(argc, argv);
    switch (commandLine.action) {
    case ui::CommandLine::Action::Help:
        return print(ui::helpText());
    case ui::CommandLine::Action::Version:
        return print(ui::versionText());
    case ui::CommandLine::Action::Error:
        std::fprintf(stderr, "sentrel: %s\nTry 'sentrel --help' for more information.\n", commandLine.error.c_str());
        return 2;
    case ui::CommandLine::Action::Run:
        break;
    }
    if (!commandLine.platformGiven && !hasDisplay()) {
        std::fprintf(stderr,
                     "Sentrel needs a graphical desktop, and none was found (DISPLAY is not set).\n"
                     "Start it from your desktop session, or without one under a virtual display:\n"
                     "    xvfb-run -a %s\n",
                     argc > 0 ? argv[0] : "sentrel");
        return 1;
    }
    if (commandLine.verbose) {
        QLoggingCategory::setFilterRules(QStringLiteral("sentrel.trail.debug=true"));
    }
    if (trailCategory().isDebugEnabled()) {
        platform::setTrailSink(
            [](std::string_view line) { qCDebug(trailCategory, "%.*s", static_cast<int>(line.size()), line.data()); });
    }
    try {
        QApplication application(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Sentrel"));
        // Lets the desktop match the window with the installed desktop entry,
        // and so show the entry's name and icon for it.
        QApplication::setDesktopFileName(ui::toQString(kDesktopId));
        // The program ends when the window has unloaded and no copy runs, not
        // merely when its last window closes.
        QApplication::setQuitOnLastWindowClosed(false);

        // Beside the executable, or in the user's folders when it is installed.
        const auto folders = platform::programFolders();
        std::optional<ui::SingleInstance> instance;
        if (folders) {
            instance.emplace(folders->data);
            switch (instance->claim()) {
            case ui::SingleInstance::Claim::First:
                break;
            case ui::SingleInstance::Claim::Forwarded:
                return 0;
            case ui::SingleInstance::Claim::Unanswered:
                std::fprintf(stderr, "Sentrel already runs for %s, but did not answer in time.\n",
                             folders->data.c_str());
                return 0;
            case ui::SingleInstance::Claim::Alone:
                std::fprintf(stderr, "Sentrel: cannot tell whether another start uses %s; starting all the same.\n",
                             folders->data.c_str());
                break;
            }
        }

        ui::MainWindow window;
        ui::QtHost host(window, folders);
        frmMain form(window.controls(), host);
        window.onClose = [&form] { form.Form_Unload(); };
        ui::closeOnEndSignals(window);
        if (instance) {
            // Answered from the event loop, so only once the window is loaded.
            instance->onRequest = [&form] { return form.bringForward(); };
        }
        return form.run([&window] { window.show(); }, [] { return QApplication::exec(); });
    } catch (...) {
        platform::trailCurrentException();
        std::fprintf(stderr, "Sentrel: an unexpected error ended the program.\n");
        return 2;
    }
}
