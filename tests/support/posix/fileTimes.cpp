#include "support/fileTimes.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace testsupport {

bool setModified(const std::string& path, std::chrono::nanoseconds since) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
    const timespec times[2] = {{0, UTIME_OMIT},
                               {static_cast<time_t>(seconds.count()), static_cast<long>((since - seconds).count())}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

std::chrono::nanoseconds wholeSecondNow() {
    return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch());
}

} // namespace testsupport
