#pragma once
// A clock that tells the time a test sets, in a fixed day/month/year format
// with US English designators, whatever the machine's clock and locale. A
// test changes the user's formats by giving it other FakeFormats.

#include "common/clock.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace testsupport {

// Dates as day, month and year joined by `dateSeparator`, a blank and the
// 24-hour time; sizes with `decimal`.
class FakeFormats : public TextFormats {
public:
    explicit FakeFormats(char dateSeparator = '/', std::string decimal = ".")
        : m_dateSeparator(dateSeparator), m_decimal(std::move(decimal)) {}
    std::string generalDate(const platform::LocalDateTime& t) const override {
        char text[64];
        std::snprintf(text, sizeof text, "%02d%c%02d%c%04d %02d:%02d:%02d", t.day, m_dateSeparator, t.month,
                      m_dateSeparator, t.year, t.hour, t.minute, t.second);
        return text;
    }
    std::string_view decimalSeparator() const override { return m_decimal; }
    bool sameAs(const TextFormats& other) const override {
        const auto* fake = dynamic_cast<const FakeFormats*>(&other);
        return fake != nullptr && fake->m_dateSeparator == m_dateSeparator && fake->m_decimal == m_decimal;
    }

private:
    char m_dateSeparator;
    std::string m_decimal;
};

class FakeClock : public Clock {
public:
    platform::LocalDateTime now() const override {
        ++reads;
        return ticking ? ticking() : time;
    }
    std::shared_ptr<const TextFormats> formats() const override { return textFormats; }
    platform::DayHalfDesignators dayHalfDesignators() const override { return designators; }

    platform::LocalDateTime time{2026, 12, 6, 6, 41, 39};
    // When set, answers now() instead of `time`.
    std::function<platform::LocalDateTime()> ticking;
    std::shared_ptr<const TextFormats> textFormats = std::make_shared<FakeFormats>();
    platform::DayHalfDesignators designators{"AM", "PM"};
    mutable int reads = 0;
};

} // namespace testsupport
