#include "common/clock.h"

#include <mutex>

namespace {

class UserFormats final : public TextFormats {
public:
    UserFormats(platform::DateFormat date, platform::NumberFormat number)
        : m_date(std::move(date)), m_number(std::move(number)) {}
    std::string generalDate(const platform::LocalDateTime& time) const override {
        return platform::generalDateText(time, m_date);
    }
    std::string_view decimalSeparator() const override { return m_number.decimalSeparator; }
    bool sameAs(const TextFormats& other) const override {
        const auto* user = dynamic_cast<const UserFormats*>(&other);
        return user != nullptr && user->holds(m_date, m_number);
    }
    bool holds(const platform::DateFormat& date, const platform::NumberFormat& number) const {
        return date == m_date && number.decimalSeparator == m_number.decimalSeparator;
    }

private:
    platform::DateFormat m_date;
    platform::NumberFormat m_number;
};

} // namespace

platform::LocalDateTime Clock::now() const {
    return platform::localNow();
}

std::shared_ptr<const TextFormats> Clock::formats() const {
    // The user's formats belong to the process, not to one clock: every clock
    // hands out the same object while they stay the same.
    static std::mutex mutex;
    static std::shared_ptr<const UserFormats> last;
    auto date = platform::userDateFormat();
    auto number = platform::userNumberFormat();
    const std::lock_guard lock(mutex);
    if (!last || !last->holds(date, number)) {
        last = std::make_shared<const UserFormats>(std::move(date), std::move(number));
    }
    return last;
}

platform::DayHalfDesignators Clock::dayHalfDesignators() const {
    return platform::userDayHalfDesignators();
}

const Clock& platformClock() noexcept {
    static const Clock clock;
    return clock;
}
