#pragma once
// One observation of the watched file, and a recorded change as a row of the
// change list: the one shape that the watch tick, the list, the list model and
// the log line all use.

#include <string>
#include <string_view>

struct ChangeRecord {
    std::string state;        // "Free", "Open", "Error" or "No File"
    std::string sizeText;     // FormatFileSize of sizeInBytes, or "Unknown"
    std::string sizeInBytes;  // plain decimal digits, or "Unknown"
    std::string dateModified; // general date format, or "Unknown"
};

// The change list's columns, left to right.
enum class ChangeColumn { Time, State, SizeText, SizeInBytes, DateModified };
inline constexpr int kChangeColumnCount = 5;

// A recorded change: when it was recorded, its state icon (1 to 5) and what was observed.
struct ChangeRow {
    std::string time;
    int icon = 0;
    ChangeRecord record;
};

// What a column shows for a row.
inline std::string_view columnText(const ChangeRow& row, ChangeColumn column) {
    switch (column) {
    case ChangeColumn::Time:
        return row.time;
    case ChangeColumn::State:
        return row.record.state;
    case ChangeColumn::SizeText:
        return row.record.sizeText;
    case ChangeColumn::SizeInBytes:
        return row.record.sizeInBytes;
    case ChangeColumn::DateModified:
        return row.record.dateModified;
    }
    return {};
}
