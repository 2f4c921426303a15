#pragma once
// The change list's columns as the window is designed: header and width of
// each, left to right. Fixed: the program never adds, removes or resizes them.

#include "watch/changeRecord.h"

#include <array>
#include <string_view>

namespace view {

struct ListColumn {
    ChangeColumn column;
    std::string_view header;
    int widthTwips; // 15 twips are one pixel at 96 dpi
};

inline constexpr std::array<ListColumn, kChangeColumnCount> kListColumns{{
    {ChangeColumn::Time, "Time", 2200},
    {ChangeColumn::State, "Status", 1000},
    {ChangeColumn::SizeText, "Size", 1300},
    {ChangeColumn::SizeInBytes, "Size (Bytes)", 1300},
    {ChangeColumn::DateModified, "Date Modified", 2200},
}};

} // namespace view
