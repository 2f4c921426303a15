#pragma once
// Handing the user the change log: the viewer gets a copy, LogTemp.csv, so it
// never holds Log.csv open while the watch tick appends to it.

#include "copies/FileCopyClass.h"

#include <string>

namespace logview {

// Copies Log.csv of `appFolder` (ending in the separator) over LogTemp.csv
// there and returns the copy's path, for the desktop to open. With no Log.csv
// yet the copier touches nothing and an older copy, if any, is what opens.
std::string copyLogForViewing(FileCopyClass& copier, const std::string& appFolder);

} // namespace logview
