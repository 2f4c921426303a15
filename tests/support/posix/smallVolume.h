#pragma once
// A tmpfs of its own at a new folder, unmounted when it goes: a small disk
// that a test can fill. Only root may mount one.

#include <filesystem>
#include <memory>
#include <sys/mount.h>
#include <unistd.h>

namespace testsupport {

class SmallVolume {
public:
    // nullptr where none can be mounted (not root, no tmpfs).
    static std::unique_ptr<SmallVolume> mount(const std::filesystem::path& at, const char* options) {
        std::filesystem::create_directory(at);
        if (::geteuid() != 0 || ::mount("sentrel-test", at.c_str(), "tmpfs", 0, options) != 0) {
            return nullptr;
        }
        return std::unique_ptr<SmallVolume>(new SmallVolume(at));
    }
    ~SmallVolume() { ::umount2(m_at.c_str(), MNT_DETACH); }
    SmallVolume(const SmallVolume&) = delete;
    SmallVolume& operator=(const SmallVolume&) = delete;

private:
    explicit SmallVolume(std::filesystem::path at) : m_at(std::move(at)) {}
    std::filesystem::path m_at;
};

} // namespace testsupport
