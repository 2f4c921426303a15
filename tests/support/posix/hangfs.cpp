// Test helper, run as a separate process: a FUSE file system that serves the
// files of a backing folder, and that can be made to stop answering.
//   hangfs [--renumber] <backing-folder> <mount-point> <state-file> [<parent-pid>]
// It stays in the foreground and runs several threads. With --renumber it
// gives a file a new inode number every time it is looked at, while its size
// and times stay as they are, as CIFS without server inode numbers and many
// FUSE file systems do whenever their caches let go of a file.
//   SIGUSR1  every request waits from then on: the file system hangs
//   SIGUSR2  the requests that waited complete normally, new ones are answered
//   SIGTERM, SIGINT, SIGHUP, and the parent (when given) ending:
//            releases everything, unmounts, and exits with 0
// A waiting request whose caller is interrupted (a signal, its process ending)
// ends with EINTR, as on a file system that lets a hung caller be killed.
// A hang lasts at most 60 s, so that nothing is ever stuck for good.
// The state file says "released <n>" or "blocked <n>", n being the number of
// requests waiting; it is first written once the mount answers.
// Exit codes: 0 after SIGTERM or an unmount, 4 when mounting was refused
// (no FUSE here), anything else for another failure.

#define FUSE_USE_VERSION 312

#include <fuse.h>

#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

namespace {

constexpr auto kLongestHang = std::chrono::seconds(60);

std::string g_backing;
std::string g_mountPoint;
bool g_renumber = false;
// Far above the backing file system's own numbers, so a renumbered file never
// takes the number of another one.
std::atomic<ino_t> g_nextInode{ino_t{1} << 40};

// What every request passes before it touches the backing folder.
class Gate {
public:
    explicit Gate(std::string stateFile) : m_stateFile(std::move(stateFile)) {}

    void opened() {
        const std::lock_guard lock(m_mutex);
        writeState();
    }

    void block() {
        const std::lock_guard lock(m_mutex);
        if (!m_shutDown) {
            m_blocked = true;
            m_blockedSince = std::chrono::steady_clock::now();
        }
        writeState();
    }

    void release() {
        const std::lock_guard lock(m_mutex);
        m_blocked = false;
        writeState();
        m_changed.notify_all();
    }

    // Open for good: the file system is going away.
    void shutDown() {
        const std::lock_guard lock(m_mutex);
        m_shutDown = true;
        m_blocked = false;
        writeState();
        m_changed.notify_all();
    }

    // 0 to go on, or -EINTR when the caller gave up while it waited.
    int pass() {
        std::unique_lock lock(m_mutex);
        if (!m_blocked) {
            return 0;
        }
        ++m_waiting;
        writeState();
        int result = 0;
        while (m_blocked) {
            // The kernel tells of an interrupted caller by a request of its
            // own, which another thread takes in: look for it now and then.
            if (fuse_interrupted() != 0) {
                result = -EINTR;
                break;
            }
            if (std::chrono::steady_clock::now() - m_blockedSince > kLongestHang) {
                std::fprintf(stderr, "hangfs: released after hanging for %lld s\n",
                             static_cast<long long>(kLongestHang.count()));
                m_blocked = false;
                m_changed.notify_all();
                break;
            }
            m_changed.wait_for(lock, std::chrono::milliseconds(10));
        }
        --m_waiting;
        writeState();
        return result;
    }

private:
    // Written whole and renamed into place, so a reader never sees half of it.
    void writeState() {
        const std::string text = std::string(m_blocked ? "blocked " : "released ") + std::to_string(m_waiting) + "\n";
        const std::string temporary = m_stateFile + ".new";
        if (std::FILE* file = std::fopen(temporary.c_str(), "w")) {
            std::fputs(text.c_str(), file);
            std::fclose(file);
            std::rename(temporary.c_str(), m_stateFile.c_str());
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_stateFile;
    bool m_blocked = false;
    bool m_shutDown = false;
    int m_waiting = 0;
    std::chrono::steady_clock::time_point m_blockedSince;
};

Gate* g_gate = nullptr;

std::string real(const char* path) {
    return g_backing + path;
}

int result(int returned) {
    return returned < 0 ? -errno : 0;
}

int descriptor(const fuse_file_info* info) {
    return static_cast<int>(info->fh);
}

// Every operation waits at the gate first.
#define HANGFS_PASS_GATE                                                                                               \
    if (const int refused = g_gate->pass(); refused != 0) {                                                            \
        return refused;                                                                                                \
    }

void* hangInit(fuse_conn_info*, fuse_config* config) {
    // Nothing is kept in the kernel's caches: every look at a file is a
    // request, and the backing folder's files are seen as they are now.
    config->use_ino = 1;
    config->entry_timeout = 0;
    config->negative_timeout = 0;
    config->attr_timeout = 0;
    config->hard_remove = 1;
    g_gate->opened();
    return nullptr;
}

int hangGetattr(const char* path, struct stat* info, fuse_file_info* file) {
    HANGFS_PASS_GATE
    const int answer =
        file != nullptr ? result(::fstat(descriptor(file), info)) : result(::lstat(real(path).c_str(), info));
    if (answer == 0 && g_renumber && S_ISREG(info->st_mode)) {
        info->st_ino = g_nextInode++;
    }
    return answer;
}

int hangAccess(const char* path, int mode) {
    HANGFS_PASS_GATE
    return result(::access(real(path).c_str(), mode));
}

int hangReadlink(const char* path, char* buffer, size_t size) {
    HANGFS_PASS_GATE
    const ssize_t length = ::readlink(real(path).c_str(), buffer, size - 1);
    if (length < 0) {
        return -errno;
    }
    buffer[length] = '\0';
    return 0;
}

int hangReaddir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*, fuse_readdir_flags) {
    HANGFS_PASS_GATE
    DIR* folder = ::opendir(real(path).c_str());
    if (folder == nullptr) {
        return -errno;
    }
    while (const dirent* entry = ::readdir(folder)) {
        struct stat info {};
        info.st_ino = entry->d_ino;
        info.st_mode = static_cast<mode_t>(DTTOIF(entry->d_type));
        if (fill(buffer, entry->d_name, &info, 0, static_cast<fuse_fill_dir_flags>(0)) != 0) {
            break;
        }
    }
    ::closedir(folder);
    return 0;
}

int hangMkdir(const char* path, mode_t mode) {
    HANGFS_PASS_GATE
    return result(::mkdir(real(path).c_str(), mode));
}

int hangUnlink(const char* path) {
    HANGFS_PASS_GATE
    return result(::unlink(real(path).c_str()));
}

int hangRmdir(const char* path) {
    HANGFS_PASS_GATE
    return result(::rmdir(real(path).c_str()));
}

int hangRename(const char* from, const char* to, unsigned int flags) {
    HANGFS_PASS_GATE
    return result(::renameat2(AT_FDCWD, real(from).c_str(), AT_FDCWD, real(to).c_str(), flags));
}

int hangChmod(const char* path, mode_t mode, fuse_file_info* file) {
    HANGFS_PASS_GATE
    if (file != nullptr) {
        return result(::fchmod(descriptor(file), mode));
    }
    return result(::chmod(real(path).c_str(), mode));
}

int hangChown(const char* path, uid_t user, gid_t group, fuse_file_info* file) {
    HANGFS_PASS_GATE
    if (file != nullptr) {
        return result(::fchown(descriptor(file), user, group));
    }
    return result(::lchown(real(path).c_str(), user, group));
}

int hangTruncate(const char* path, off_t size, fuse_file_info* file) {
    HANGFS_PASS_GATE
    if (file != nullptr) {
        return result(::ftruncate(descriptor(file), size));
    }
    return result(::truncate(real(path).c_str(), size));
}

int hangUtimens(const char* path, const timespec times[2], fuse_file_info* file) {
    HANGFS_PASS_GATE
    if (file != nullptr) {
        return result(::futimens(descriptor(file), times));
    }
    return result(::utimensat(AT_FDCWD, real(path).c_str(), times, AT_SYMLINK_NOFOLLOW));
}

int hangOpen(const char* path, fuse_file_info* file) {
    HANGFS_PASS_GATE
    const int opened = ::open(real(path).c_str(), file->flags | O_CLOEXEC);
    if (opened < 0) {
        return -errno;
    }
    file->fh = static_cast<std::uint64_t>(opened);
    return 0;
}

int hangCreate(const char* path, mode_t mode, fuse_file_info* file) {
    HANGFS_PASS_GATE
    const int opened = ::open(real(path).c_str(), file->flags | O_CREAT | O_CLOEXEC, mode);
    if (opened < 0) {
        return -errno;
    }
    file->fh = static_cast<std::uint64_t>(opened);
    return 0;
}

int hangRead(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* file) {
    HANGFS_PASS_GATE
    const ssize_t count = ::pread(descriptor(file), buffer, size, offset);
    return count < 0 ? -errno : static_cast<int>(count);
}

int hangWrite(const char*, const char* buffer, size_t size, off_t offset, fuse_file_info* file) {
    HANGFS_PASS_GATE
    const ssize_t count = ::pwrite(descriptor(file), buffer, size, offset);
    return count < 0 ? -errno : static_cast<int>(count);
}

int hangStatfs(const char* path, struct statvfs* info) {
    HANGFS_PASS_GATE
    return result(::statvfs(real(path).c_str(), info));
}

int hangFlush(const char*, fuse_file_info* file) {
    HANGFS_PASS_GATE
    // Closing a duplicate reports what closing the file reports, as the
    // caller's close() expects, and leaves the file open for its release.
    return result(::close(::dup(descriptor(file))));
}

int hangRelease(const char*, fuse_file_info* file) {
    // A release is never refused: the kernel has forgotten the file already.
    g_gate->pass();
    ::close(descriptor(file));
    return 0;
}

int hangFsync(const char*, int dataOnly, fuse_file_info* file) {
    HANGFS_PASS_GATE
    return result(dataOnly != 0 ? ::fdatasync(descriptor(file)) : ::fsync(descriptor(file)));
}

fuse_operations operations() {
    fuse_operations ops{};
    ops.init = hangInit;
    ops.getattr = hangGetattr;
    ops.access = hangAccess;
    ops.readlink = hangReadlink;
    ops.readdir = hangReaddir;
    ops.mkdir = hangMkdir;
    ops.unlink = hangUnlink;
    ops.rmdir = hangRmdir;
    ops.rename = hangRename;
    ops.chmod = hangChmod;
    ops.chown = hangChown;
    ops.truncate = hangTruncate;
    ops.utimens = hangUtimens;
    ops.open = hangOpen;
    ops.create = hangCreate;
    ops.read = hangRead;
    ops.write = hangWrite;
    ops.statfs = hangStatfs;
    ops.flush = hangFlush;
    ops.release = hangRelease;
    ops.fsync = hangFsync;
    return ops;
}

sigset_t controlSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (const int number : {SIGUSR1, SIGUSR2, SIGTERM, SIGINT, SIGHUP}) {
        sigaddset(&signals, number);
    }
    return signals;
}

// Takes the control signals, which every thread blocks, one at a time.
void controlLoop(fuse* system) {
    const sigset_t signals = controlSignals();
    for (;;) {
        int number = 0;
        if (::sigwait(&signals, &number) != 0) {
            continue;
        }
        if (number == SIGUSR1) {
            g_gate->block();
        } else if (number == SIGUSR2) {
            g_gate->release();
        } else {
            g_gate->shutDown();
            fuse_exit(system);
            // The loop notices only once a request arrives: a look for a name
            // that is not there makes one.
            struct stat info {};
            ::stat((g_mountPoint + "/.hangfs-wake-up").c_str(), &info);
            return;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--renumber") == 0) {
        g_renumber = true;
        --argc;
        ++argv;
    }
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: hangfs [--renumber] <backing-folder> <mount-point> <state-file> [<parent-pid>]\n");
        return 2;
    }
    if (argc == 5) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != static_cast<pid_t>(std::strtol(argv[4], nullptr, 10))) {
            return 3; // the parent has gone already
        }
    }
    // Blocked before any thread starts, so that every thread blocks them and
    // only the control loop takes them.
    const sigset_t signals = controlSignals();
    ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    char* backing = ::realpath(argv[1], nullptr);
    if (backing == nullptr) {
        std::fprintf(stderr, "hangfs: no backing folder %s: %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    g_backing = backing;
    std::free(backing);
    g_mountPoint = argv[2];
    // Never destroyed: the control loop may still take a signal while the process ends.
    g_gate = new Gate(argv[3]);

    fuse_args args = FUSE_ARGS_INIT(0, nullptr);
    for (const char* arg : {"hangfs", "-o", "fsname=hangfs,subtype=hangfs"}) {
        fuse_opt_add_arg(&args, arg);
    }
    const fuse_operations ops = operations();
    fuse* system = fuse_new(&args, &ops, sizeof ops, nullptr);
    if (system == nullptr) {
        std::fprintf(stderr, "hangfs: the file system could not be set up\n");
        fuse_opt_free_args(&args);
        return 1;
    }
    if (fuse_mount(system, g_mountPoint.c_str()) != 0) {
        std::fprintf(stderr, "hangfs: could not mount on %s\n", g_mountPoint.c_str());
        fuse_destroy(system);
        fuse_opt_free_args(&args);
        return 4;
    }
    std::thread(controlLoop, system).detach();

    fuse_loop_config* config = fuse_loop_cfg_create();
    fuse_loop_cfg_set_max_threads(config, 64);
    const int loop = fuse_loop_mt(system, config);
    fuse_loop_cfg_destroy(config);

    g_gate->shutDown();
    fuse_unmount(system);
    fuse_destroy(system);
    fuse_opt_free_args(&args);
    return loop == 0 ? 0 : 1;
}
