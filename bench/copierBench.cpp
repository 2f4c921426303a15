#include "copierBench.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

extern char** environ;

namespace copierbench {

pid_t start(const std::vector<std::string>& arguments, int input, int output, int errors) {
    std::vector<std::string> words(arguments);
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const int given[] = {input, output, errors};
    for (int fd = 0; fd < 3; ++fd) {
        if (given[fd] < 0) {
            posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
        } else {
            posix_spawn_file_actions_adddup2(&actions, given[fd], fd);
        }
    }
    pid_t pid = -1;
    const int error = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        errno = error;
        return -1;
    }
    return pid;
}

Finished finish(pid_t pid) {
    Finished result;
    int status = 0;
    pid_t ended = -1;
    do {
        ended = ::wait4(pid, &status, 0, &result.usage);
    } while (ended < 0 && errno == EINTR);
    if (ended == pid && WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
    }
    return result;
}

Finished run(const std::vector<std::string>& arguments) {
    int complaints[2];
    if (::pipe2(complaints, O_CLOEXEC) != 0) {
        Finished failed;
        failed.errors = std::strerror(errno);
        return failed;
    }
    const pid_t pid = start(arguments, -1, -1, complaints[1]);
    const int startError = errno;
    ::close(complaints[1]);
    std::string errors;
    char buffer[4096];
    for (ssize_t got = 0; pid >= 0 && (got = ::read(complaints[0], buffer, sizeof buffer)) != 0;) {
        if (got > 0) {
            errors.append(buffer, static_cast<std::size_t>(got));
        } else if (errno != EINTR) {
            break;
        }
    }
    ::close(complaints[0]);
    Finished result;
    if (pid < 0) {
        result.errors = joined({"cannot start ", arguments.front(), ": ", std::strerror(startError)});
        return result;
    }
    result = finish(pid);
    result.errors = std::move(errors);
    return result;
}

std::string firstLine(const Finished& finished) {
    const std::string line = finished.errors.substr(0, finished.errors.find('\n'));
    return line.empty() ? joined({"exit status ", std::to_string(finished.status)}) : line;
}

std::vector<char> megabyteOfData() {
    std::vector<char> block(1 << 20);
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<char>(i * 7 + i / 4096);
    }
    return block;
}

bool writeData(const std::string& path, std::int64_t bytes) {
    const auto block = megabyteOfData();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool written = fd >= 0;
    for (std::int64_t done = 0; written && done < bytes; done += static_cast<std::int64_t>(block.size())) {
        const auto size = static_cast<std::size_t>(std::min<std::int64_t>(bytes - done, block.size()));
        written = ::write(fd, block.data(), size) == static_cast<ssize_t>(size);
    }
    written = written && ::fsync(fd) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return written;
}

void flushFileSystem(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

std::string joined(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (const auto part : parts) {
        text += part;
    }
    return text;
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string fileSystemType(const std::filesystem::path& path) {
    std::error_code error;
    const std::string where = std::filesystem::weakly_canonical(path, error).string();
    // The mount with the longest mount point above the path; mounted later wins a tie.
    std::ifstream mounts("/proc/self/mounts");
    std::string device;
    std::string point;
    std::string type;
    std::string rest;
    std::string found = "unknown";
    std::size_t longest = 0;
    while (mounts >> device >> point >> type && std::getline(mounts, rest)) {
        const bool above = where.compare(0, point.size(), point) == 0 &&
                           (point == "/" || where.size() == point.size() || where[point.size()] == '/');
        if (above && point.size() >= longest) {
            longest = point.size();
            found = type;
        }
    }
    return found;
}

void skipped(std::string_view figure, std::string_view why) {
    std::printf("%.*s: skipped, %.*s\n", static_cast<int>(figure.size()), figure.data(), static_cast<int>(why.size()),
                why.data());
}

} // namespace copierbench
