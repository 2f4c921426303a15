#include "ui/qt/QtTimer.h"
#include "platform/trail.h"

namespace ui {

QtTimer::QtTimer(QObject* parent) : QObject(parent) {}

void QtTimer::setEnabled(bool enabled) noexcept {
    m_enabled = enabled;
    arm();
}

void QtTimer::setInterval(std::int32_t milliseconds) noexcept {
    m_interval = milliseconds;
    arm();
}

// Stops every idle timer and, when ticks are due, starts the first idle one
// afresh: enabling the timer or changing its interval starts a new period.
void QtTimer::arm() {
    for (auto& slot : m_slots) {
        if (!slot.busy) {
            slot.timer->stop();
        }
    }
    if (!m_enabled || m_interval <= 0) {
        return;
    }
    std::size_t index = 0;
    while (index < m_slots.size() && m_slots[index].busy) {
        ++index;
    }
    if (index == m_slots.size()) {
        auto timer = std::make_unique<QTimer>(this);
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer.get(), &QTimer::timeout, this, [this, index] { onTimeout(index); });
        m_slots.push_back(Slot{std::move(timer), false});
    }
    m_slots[index].timer->start(m_interval);
}

void QtTimer::onTimeout(std::size_t index) {
    m_slots[index].timer->stop();
    m_slots[index].busy = true;
    arm(); // the next tick comes from another timer, even while this handler yields
    try {
        if (onTick) {
            onTick();
        }
    } catch (...) {
        platform::trailCurrentException();
        // A failing tick skips the rest of that tick; the next one comes as usual.
    }
    m_slots[index].busy = false;
}

} // namespace ui
