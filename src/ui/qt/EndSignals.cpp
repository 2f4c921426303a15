#include "ui/qt/EndSignals.h"

#include <QSocketNotifier>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace ui {

namespace {

int g_signalPipe[2] = {-1, -1};

void onEndSignal(int) {
    const int saved = errno; // the interrupted code may be about to read errno
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

bool installHandlers() {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    struct sigaction action {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        ::sigaction(signal, &action, nullptr);
    }
    return true;
}

} // namespace

bool closeOnEndSignals(QWidget& window) {
    static const bool installed = installHandlers();
    if (!installed) {
        return false;
    }
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char drained[16];
        bool signalled = false;
        while (::read(g_signalPipe[0], drained, sizeof drained) > 0) {
            signalled = true;
        }
        // Another window's notifier may have read the pipe first.
        if (signalled) {
            window.close();
        }
    });
    return true;
}

} // namespace ui
