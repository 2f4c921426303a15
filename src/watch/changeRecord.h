#pragma once
// One observation of the watched file, as the watch tick records it: four
// texts, exactly as the list view shows them and the log stores them.

#include <string>

struct ChangeRecord {
    std::string state;        // "Free", "Open", "Error" or "No File"
    std::string sizeText;     // FormatFileSize of sizeInBytes, or "Unknown"
    std::string sizeInBytes;  // plain decimal digits, or "Unknown"
    std::string dateModified; // general date format, or "Unknown"
};
