#pragma once
// A real file system that a test can make stop answering: the hangfs helper
// program mounted on a folder of its own, serving the files of a backing
// folder. While it is blocked, every request on the mount waits in the kernel
// until it is released. On destruction it is released and unmounted, and the
// helper program has ended, whatever state the test left it in. It can also
// be a file system that gives its files new inode numbers all the time.

#include "support/childProcess.h"
#include "support/tempDir.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace testsupport {

class HungFileSystem {
public:
    enum class Inodes {
        Steady,
        // A file gets a new inode number every time it is looked at; its size
        // and times stay as they are.
        NewOnEveryLook,
    };
    // Mounts it and waits until the mount answers; see mounted().
    explicit HungFileSystem(Inodes inodes = Inodes::Steady);
    ~HungFileSystem();
    HungFileSystem(const HungFileSystem&) = delete;
    HungFileSystem& operator=(const HungFileSystem&) = delete;

    // True where FUSE cannot be used at all (no /dev/fuse, mounting refused):
    // tests skip then. Not mounted for any other reason is a failure.
    // whyNot() tells why it is not mounted.
    bool unavailable() const { return m_unavailable; }
    bool mounted() const { return m_mounted; }
    const std::string& whyNot() const { return m_whyNot; }

    const std::string& mountPoint() const { return m_mountPoint; }
    // A name as seen through the mount.
    std::string path(std::string_view name) const;
    // Creates or replaces a file in the backing folder, beside the mount:
    // it works while the mount hangs. Returns the path through the mount.
    std::string writeBehind(std::string_view name, std::string_view bytes) const;

    // Every request waits from now on; true once that is in force.
    bool block() const;
    // The requests that waited complete and new ones are answered; true once
    // that is in force.
    bool release() const;
    // How many requests are waiting right now.
    int waitingRequests() const;

private:
    std::optional<std::pair<std::string, int>> state() const;
    bool signalAndWaitFor(int signal, const std::string& word) const;
    bool isMounted() const;
    void unmount();

    std::unique_ptr<TempDir> m_root;
    std::string m_backing;
    std::string m_mountPoint;
    std::string m_stateFile;
    std::string m_log;
    std::optional<ChildProcess> m_process;
    bool m_mounted = false;
    bool m_unavailable = false;
    std::string m_whyNot;
};

} // namespace testsupport
