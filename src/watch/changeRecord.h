#pragma once
// One observation of the watched file, and a recorded change as a row of the
// change list. The watch tick compares and logs the texts of a record; a row
// keeps the numbers and the formats the texts were made with, and makes the
// same texts again only where they are shown or read back.

#include "common/clock.h"
#include "platform/clock.h"
#include "watch/modSentrel.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct ChangeRecord {
    std::string state;        // "Free", "Open", "Error" or "No File"
    std::string sizeText;     // FormatFileSize of sizeInBytes, or "Unknown"
    std::string sizeInBytes;  // plain decimal digits, or "Unknown"
    std::string dateModified; // general date format, or "Unknown"
};

// The change list's columns, left to right.
enum class ChangeColumn { Time, State, SizeText, SizeInBytes, DateModified };
inline constexpr int kChangeColumnCount = 5;

// The length and date modified one look at the file read, before they became
// text; a value that could not be read is empty (and shows as an empty text).
// For "No File" both are "Unknown", whatever they hold.
struct FileValues {
    std::optional<std::int64_t> sizeInBytes;
    std::optional<platform::LocalDateTime> dateModified;
};

// A recorded change: when it was recorded, what was observed, and the formats
// its dates and size were written in. Its state icon is picture state + 1.
struct ChangeRow {
    platform::LocalDateTime time;
    modSentrel::FileState state = modSentrel::fsError;
    FileValues values;
    // Without formats, dates show as empty texts and sizes with a ".".
    std::shared_ptr<const TextFormats> formats;
};

// The texts of an observation in `formats` (which may be null, as above).
ChangeRecord recordTexts(modSentrel::FileState state, const FileValues& values, const TextFormats* formats);

// What a column shows for a row.
std::string columnText(const ChangeRow& row, ChangeColumn column);
