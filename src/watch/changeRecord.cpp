#include "watch/changeRecord.h"

#include "watch/observeFile.h"

namespace {

constexpr std::string_view kUnknown = "Unknown";

std::string sizeInBytesText(modSentrel::FileState state, const FileValues& values) {
    if (state == modSentrel::fsNoFile) {
        return std::string(kUnknown);
    }
    return values.sizeInBytes ? std::to_string(*values.sizeInBytes) : std::string();
}

std::string sizeText(modSentrel::FileState state, const FileValues& values, const TextFormats* formats) {
    return modSentrel::FormatFileSize(sizeInBytesText(state, values),
                                      formats != nullptr ? formats->decimalSeparator() : ".");
}

std::string dateText(const std::optional<platform::LocalDateTime>& time, const TextFormats* formats) {
    return time && formats != nullptr ? formats->generalDate(*time) : std::string();
}

std::string dateModifiedText(modSentrel::FileState state, const FileValues& values, const TextFormats* formats) {
    return state == modSentrel::fsNoFile ? std::string(kUnknown) : dateText(values.dateModified, formats);
}

} // namespace

ChangeRecord recordTexts(modSentrel::FileState state, const FileValues& values, const TextFormats* formats) {
    return {std::string(watch::stateText(state)), sizeText(state, values, formats), sizeInBytesText(state, values),
            dateModifiedText(state, values, formats)};
}

std::string columnText(const ChangeRow& row, ChangeColumn column) {
    switch (column) {
    case ChangeColumn::Time:
        return dateText(row.time, row.formats.get());
    case ChangeColumn::State:
        return std::string(watch::stateText(row.state));
    case ChangeColumn::SizeText:
        return sizeText(row.state, row.values, row.formats.get());
    case ChangeColumn::SizeInBytes:
        return sizeInBytesText(row.state, row.values);
    case ChangeColumn::DateModified:
        return dateModifiedText(row.state, row.values, row.formats.get());
    }
    return {};
}
