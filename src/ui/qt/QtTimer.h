#pragma once
// A view timer on QTimer that keeps ticking while its own tick handler yields
// to the event loop. Qt never delivers a QTimer's timeout again while that
// timer's slot is still running, so each tick hands the cadence over to a
// timer of a small pool that is not busy.

#include "view/controls.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <vector>

namespace ui {

class QtTimer : public QObject, public view::Timer {
public:
    explicit QtTimer(QObject* parent = nullptr);

    bool enabled() const noexcept override { return m_enabled; }
    void setEnabled(bool enabled) noexcept override;
    std::int32_t interval() const noexcept override { return m_interval; }
    void setInterval(std::int32_t milliseconds) noexcept override;

private:
    struct Slot {
        std::unique_ptr<QTimer> timer;
        bool busy = false;
    };
    void arm();
    void onTimeout(std::size_t index);

    std::vector<Slot> m_slots;
    bool m_enabled = false;
    std::int32_t m_interval = 0;
};

} // namespace ui
