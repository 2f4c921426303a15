#pragma once
// The columns of the change list view, left to right, as data the views
// build their list from. Fixed: the program never adds, removes or resizes them.

#include "watch/changeRecord.h"

#include <array>
#include <string_view>

enum class LogField { Time, State, SizeText, SizeInBytes, DateModified };

struct LogColumn {
    std::string_view header;
    int widthTwips; // 15 twips are one pixel at 96 dpi
    LogField field;
};

inline constexpr std::array<LogColumn, 5> kLogColumns{{
    {"Time", 2200, LogField::Time},
    {"Status", 1000, LogField::State},
    {"Size", 1300, LogField::SizeText},
    {"Size (Bytes)", 1300, LogField::SizeInBytes},
    {"Date Modified", 2200, LogField::DateModified},
}};

// The text a column shows for a change recorded at `time`.
inline std::string_view logFieldText(const ChangeRecord& record, std::string_view time, LogField field) {
    switch (field) {
    case LogField::Time:
        return time;
    case LogField::State:
        return record.state;
    case LogField::SizeText:
        return record.sizeText;
    case LogField::SizeInBytes:
        return record.sizeInBytes;
    case LogField::DateModified:
        return record.dateModified;
    }
    return {};
}
