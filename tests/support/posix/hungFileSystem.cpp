#include "support/posix/hungFileSystem.h"

#include "support/childProcess.h"
#include "support/waitFor.h"

#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace testsupport {

namespace {

using namespace std::chrono_literals;

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

} // namespace

HungFileSystem::HungFileSystem(Inodes inodes) : m_root(std::make_unique<TempDir>()) {
    m_backing = m_root->path("backing");
    m_mountPoint = m_root->path("mount");
    m_stateFile = m_root->path("state");
    m_log = m_root->path("hangfs.log");
    std::filesystem::create_directory(m_backing);
    std::filesystem::create_directory(m_mountPoint);

    const int device = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (device < 0) {
        m_whyNot = std::string("FUSE cannot be used here: /dev/fuse cannot be opened (") + std::strerror(errno) + ")";
        m_unavailable = true;
        return;
    }
    ::close(device);
    const auto program = helperProgram("hangfs");
    std::vector<std::string> arguments{program, m_backing, m_mountPoint, m_stateFile, std::to_string(::getpid())};
    if (inodes == Inodes::NewOnEveryLook) {
        arguments.insert(arguments.begin() + 1, "--renumber");
    }
    m_process = ChildProcess::start(arguments, m_log);
    if (!m_process) {
        m_whyNot = "the helper program " + program + " could not be started";
        return;
    }
    std::optional<int> ended;
    const bool answers = testsupport::waitFor(
        [&] {
            ended = m_process->waitFor(0ms);
            return ended || (state() && isMounted());
        },
        10s);
    if (answers && !ended) {
        m_mounted = true;
        return;
    }
    constexpr int kMountRefused = 4;
    m_unavailable = ended == kMountRefused;
    m_whyNot = !ended ? "the hangfs mount did not answer within 10 s"
               : m_unavailable
                   ? "FUSE cannot be used here: mounting was refused: " + trimmed(readFile(m_log))
                   : "hangfs failed (exit code " + std::to_string(*ended) + "): " + trimmed(readFile(m_log));
    unmount();
}

HungFileSystem::~HungFileSystem() {
    unmount();
}

void HungFileSystem::unmount() {
    if (m_process) {
        // It releases every waiting request, unmounts and ends.
        m_process->signal(SIGTERM);
        if (!m_process->waitFor(10s)) {
            std::fprintf(stderr, "hangfs did not end within 10 s of SIGTERM; killing it\n");
            // The kernel then fails every request that waited.
            m_process->kill();
        }
        m_process.reset();
    }
    if (isMounted()) {
        if (::geteuid() == 0) {
            ::umount2(m_mountPoint.c_str(), MNT_DETACH);
        } else if (auto helper = ChildProcess::start({"/bin/fusermount3", "-u", "-z", m_mountPoint}, m_log)) {
            helper->waitFor(10s);
        }
    }
    if (isMounted()) {
        // Removing the folders would reach through the mount: leave them.
        std::fprintf(stderr, "%s is still mounted and is left in place\n", m_mountPoint.c_str());
        [[maybe_unused]] auto* left = m_root.release();
    }
    m_mounted = false;
}

bool HungFileSystem::isMounted() const {
    std::ifstream table("/proc/self/mountinfo");
    std::string line;
    while (std::getline(table, line)) {
        // Fields: id, parent, major:minor, root, mount point, ...; " - " type source ...
        std::istringstream fields(line);
        std::string id;
        std::string parent;
        std::string numbers;
        std::string root;
        std::string point;
        fields >> id >> parent >> numbers >> root >> point;
        if (point == m_mountPoint && line.find(" - fuse.hangfs ") != std::string::npos) {
            return true;
        }
    }
    return false;
}

std::string HungFileSystem::path(std::string_view name) const {
    return m_mountPoint + "/" + std::string(name);
}

std::string HungFileSystem::writeBehind(std::string_view name, std::string_view bytes) const {
    m_root->write("backing/" + std::string(name), bytes);
    return path(name);
}

std::optional<std::pair<std::string, int>> HungFileSystem::state() const {
    std::istringstream text(readFile(m_stateFile));
    std::string word;
    int waiting = 0;
    if (!(text >> word >> waiting)) {
        return std::nullopt;
    }
    return std::pair{word, waiting};
}

bool HungFileSystem::signalAndWaitFor(int signal, const std::string& word) const {
    if (!m_mounted) {
        return false;
    }
    m_process->signal(signal);
    return testsupport::waitFor(
        [&] {
            const auto now = state();
            return now && now->first == word;
        },
        5s);
}

bool HungFileSystem::block() const {
    return signalAndWaitFor(SIGUSR1, "blocked");
}

bool HungFileSystem::release() const {
    return signalAndWaitFor(SIGUSR2, "released");
}

int HungFileSystem::waitingRequests() const {
    const auto now = state();
    return now ? now->second : 0;
}

} // namespace testsupport
