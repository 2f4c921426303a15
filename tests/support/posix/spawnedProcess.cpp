#include "support/posix/spawnedProcess.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <utility>

extern char** environ;

namespace testsupport {

namespace {

int statusCode(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

std::optional<SpawnedProcess> SpawnedProcess::start(const std::vector<std::string>& args, const std::string& output) {
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
    return SpawnedProcess(pid);
}

SpawnedProcess::SpawnedProcess(SpawnedProcess&& other) noexcept : m_pid(other.m_pid), m_status(other.m_status) {
    other.m_pid = -1;
}

SpawnedProcess& SpawnedProcess::operator=(SpawnedProcess&& other) noexcept {
    if (this != &other) {
        if (m_pid > 0 && !m_status) {
            kill();
        }
        m_pid = std::exchange(other.m_pid, -1);
        m_status = other.m_status;
    }
    return *this;
}

SpawnedProcess::~SpawnedProcess() {
    if (m_pid > 0 && !m_status) {
        kill();
    }
}

void SpawnedProcess::signal(int number) const {
    if (m_pid > 0 && !m_status) {
        ::kill(m_pid, number);
    }
}

std::optional<int> SpawnedProcess::waitFor(std::chrono::milliseconds limit) {
    if (m_pid <= 0 || m_status) {
        return m_status;
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        const pid_t ended = ::waitpid(m_pid, &status, WNOHANG);
        if (ended == m_pid) {
            m_status = statusCode(status);
            return m_status;
        }
        if (ended < 0 && errno != EINTR) {
            m_status = -1; // not ours to wait for any more
            return m_status;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int SpawnedProcess::kill() {
    if (m_pid <= 0) {
        return -1;
    }
    if (!m_status) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        pid_t ended = -1;
        while ((ended = ::waitpid(m_pid, &status, 0)) < 0 && errno == EINTR) {
        }
        m_status = ended == m_pid ? statusCode(status) : -1;
    }
    return *m_status;
}

} // namespace testsupport
