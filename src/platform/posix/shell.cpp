#include "platform/shell.h"

#include "platform/errors.h"
#include "platform/posix/programs.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace platform {

std::optional<RtError> shellOpenDocument(const std::string& file, const std::string& folder,
                                         const std::optional<std::string>& /*parameters: xdg-open takes none*/) {
    // The desktop's "open with the default program" command.
    return posix::openDocumentWith(posix::findProgram("xdg-open"), file, folder);
}

std::optional<RtError> posix::openDocumentWith(const std::optional<std::string>& opener, const std::string& file,
                                               const std::string& folder) {
    if (!opener) {
        return rtErrorFromOs(ENOENT);
    }
    // A relative name that starts with "-" would read as an option.
    const std::string document = !file.empty() && file.front() == '-' ? "./" + file : file;
    std::vector<char*> argv{const_cast<char*>(opener->c_str()), const_cast<char*>(document.c_str()), nullptr};
    const char* workingFolder = folder.empty() ? nullptr : folder.c_str();

    // Started as a grandchild that init adopts, so the program neither waits
    // for the opened program nor leaves a zombie behind.
    const pid_t child = ::fork();
    if (child < 0) {
        return lastRtError();
    }
    if (child == 0) {
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::setsid();
            if (workingFolder != nullptr && ::chdir(workingFolder) != 0) {
                // Like the shell, an unusable working folder does not stop the open.
            }
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
        return makeRtError(rterr::OutOfMemory); // the second fork failed
    }
    return std::nullopt;
}

} // namespace platform
