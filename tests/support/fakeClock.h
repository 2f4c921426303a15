#pragma once
// A clock that tells the time a test sets, in a fixed day/month/year format
// with US English designators, whatever the machine's clock and locale.

#include "common/clock.h"

#include <cstdio>
#include <functional>

namespace testsupport {

class FakeClock : public Clock {
public:
    platform::LocalDateTime now() const override {
        ++reads;
        return ticking ? ticking() : time;
    }
    std::string generalDate(const platform::LocalDateTime& t) const override {
        char text[48];
        std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", t.day, t.month, t.year, t.hour, t.minute,
                      t.second);
        return text;
    }
    platform::DayHalfDesignators dayHalfDesignators() const override { return designators; }

    platform::LocalDateTime time{2026, 12, 6, 6, 41, 39};
    // When set, answers now() instead of `time`.
    std::function<platform::LocalDateTime()> ticking;
    platform::DayHalfDesignators designators{"AM", "PM"};
    mutable int reads = 0;
};

} // namespace testsupport
