#pragma once
// The Qt window's host with its files kept in a folder of the bench's own,
// and a way to let the window work for a while.

#include "ui/qt/MainWindow.h"
#include "ui/qt/QtHost.h"

#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <optional>
#include <string>
#include <utility>

class BenchHost : public ui::QtHost {
public:
    BenchHost(ui::MainWindow& window, std::string folder) : QtHost(window), m_folder(std::move(folder)) {}
    std::optional<std::string> appFolder() noexcept override { return m_folder; }

private:
    std::string m_folder;
};

// Turns the event loop for `time`: the window's timers, events and posted work run meanwhile.
inline void runLoopFor(std::chrono::milliseconds time) {
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec();
}
