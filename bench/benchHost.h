#pragma once
// The Qt window's host with its files kept in a folder of the bench's own.

#include "ui/qt/MainWindow.h"
#include "ui/qt/QtHost.h"

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
