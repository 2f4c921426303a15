#include "support/childProcess.h"

#include "common/modKorvel.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace testsupport {

std::optional<ChildProcess> ChildProcess::start(const std::vector<std::string>& args, const std::string& output) {
    std::vector<char*> argv;
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawnattr_init(&attributes);
    if (!output.empty()) {
        ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                           0644);
        ::posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    }
    // The child starts with no signal blocked and the usual actions for the
    // signals tests send, whatever the test process set for itself.
    sigset_t none;
    sigset_t usual;
    sigemptyset(&none);
    sigemptyset(&usual);
    for (const int number : {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2, SIGPIPE}) {
        sigaddset(&usual, number);
    }
    ::posix_spawnattr_setsigmask(&attributes, &none);
    ::posix_spawnattr_setsigdefault(&attributes, &usual);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int failed = ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        return std::nullopt;
    }
    ChildProcess child;
    child.m_id = static_cast<unsigned long>(pid);
    return child;
}

std::optional<int> ChildProcess::reap(std::optional<std::chrono::milliseconds> limit) {
    if (!running()) {
        return m_id != 0 ? m_status : -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + limit.value_or(std::chrono::milliseconds(0));
    const auto pid = static_cast<pid_t>(m_id);
    for (;;) {
        int status = 0;
        const pid_t ended = ::waitpid(pid, &status, limit ? WNOHANG : 0);
        if (ended == pid) {
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return m_status;
        }
        if (ended < 0 && errno != EINTR) {
            m_status = -1; // not ours to wait for any more
            return m_status;
        }
        if (limit && std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        if (limit && ended == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
}

void ChildProcess::end(bool atOnce) {
    signal(atOnce ? SIGKILL : SIGTERM);
}

void ChildProcess::signal(int number) const {
    if (running()) {
        ::kill(static_cast<pid_t>(m_id), number);
    }
}

void ChildProcess::release() noexcept {}

std::string helperProgram(const std::string& name) {
    return modKorvel::AppFolder().value_or("./") + name;
}

unsigned long currentProcessId() {
    return static_cast<unsigned long>(::getpid());
}

bool processRunning(unsigned long id) {
    // Only a real process id: 0 and what does not fit a pid_t name process groups.
    if (id == 0 || id > static_cast<unsigned long>(INT32_MAX)) {
        return false;
    }
    return ::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}

} // namespace testsupport
