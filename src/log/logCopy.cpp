#include "log/logCopy.h"

namespace logview {

std::string copyLogForViewing(FileCopyClass& copier, const std::string& appFolder) {
    const std::string destination = appFolder + "LogTemp.csv";
    copier.Copy(appFolder + "Log.csv", destination);
    return destination;
}

} // namespace logview
