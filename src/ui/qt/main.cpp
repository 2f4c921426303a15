// Sentrel on Linux: the main window on Qt Widgets, driving the core.

#include "app/frmMain.h"
#include "common/userMessage.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/QtHost.h"

#include <QApplication>
#include <QMessageBox>

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
        SetUserMessageSink([&window](const UserMessage& message) {
            const auto icon = message.icon == MessageIcon::Critical  ? QMessageBox::Critical
                              : message.icon == MessageIcon::Warning ? QMessageBox::Warning
                                                                     : QMessageBox::Information;
            QMessageBox box(icon, QString::fromStdString(message.title), QString::fromStdString(message.text),
                            QMessageBox::Ok, window.isVisible() ? &window : nullptr);
            box.exec();
        });
        ui::QtHost host(window);
        frmMain form(window.controls(), host);
        window.onClose = [&form] { form.Form_Unload(); };
        form.Form_Load();
        window.show();
        const int status = QApplication::exec();
        SetUserMessageSink({});
        return status;
    } catch (...) {
        std::fprintf(stderr, "Sentrel: an unexpected error ended the program.\n");
        return 2;
    }
}
