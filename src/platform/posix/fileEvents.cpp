#include "platform/fileEvents.h"

#include "platform/posix/uniqueFd.h"
#include "platform/trail.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace platform {

namespace {

// What concerns a file in its folder, and the folder itself. IN_EXCL_UNLINK
// leaves out writes to a file that was deleted while still open: that is no
// longer the watched name.
constexpr std::uint32_t kFolderEvents = IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_CREATE | IN_MOVED_FROM |
                                        IN_MOVED_TO | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR |
                                        IN_EXCL_UNLINK;
constexpr std::uint32_t kFolderGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;

class InotifyEvents final : public FileEvents {
public:
    InotifyEvents(UniqueFd inotify, UniqueFd wakeUp, std::string name)
        : m_inotify(std::move(inotify)), m_wakeUp(std::move(wakeUp)), m_name(std::move(name)) {}

    Event wait(std::optional<std::chrono::milliseconds> timeout) noexcept override {
        if (m_lost) {
            return Event::Lost;
        }
        pollfd fds[2] = {{m_inotify.get(), POLLIN, 0}, {m_wakeUp.get(), POLLIN, 0}};
        const int milliseconds = timeout ? static_cast<int>(std::max<std::int64_t>(0, timeout->count())) : -1;
        if (::poll(fds, 2, milliseconds) <= 0) {
            return Event::None; // timed out, or a signal came in between
        }
        if ((fds[1].revents & POLLIN) != 0) {
            std::uint64_t count = 0;
            static_cast<void>(::read(m_wakeUp.get(), &count, sizeof count));
        }
        return (fds[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0 ? takeEvents() : Event::None;
    }

    void wake() noexcept override {
        const std::uint64_t one = 1;
        static_cast<void>(::write(m_wakeUp.get(), &one, sizeof one));
    }

private:
    // Reads every event that is waiting; the descriptor does not block.
    Event takeEvents() noexcept {
        alignas(inotify_event) char buffer[8192];
        bool changed = false;
        for (;;) {
            const ssize_t got = ::read(m_inotify.get(), buffer, sizeof buffer);
            if (got <= 0) {
                if (got < 0 && errno == EINTR) {
                    continue;
                }
                break; // EAGAIN: all taken
            }
            for (ssize_t at = 0; at < got;) {
                inotify_event event{};
                std::memcpy(&event, buffer + at, sizeof event);
                const char* name = buffer + at + sizeof event;
                at += static_cast<ssize_t>(sizeof event + event.len);
                if ((event.mask & kFolderGone) != 0) {
                    m_lost = true;
                } else if ((event.mask & IN_Q_OVERFLOW) != 0) {
                    changed = true; // events were dropped: ours may have been among them
                } else if (event.len > 0 && m_name == name) {
                    changed = true;
                }
            }
        }
        return m_lost ? Event::Lost : changed ? Event::Changed : Event::None;
    }

    UniqueFd m_inotify;
    UniqueFd m_wakeUp;
    std::string m_name;
    bool m_lost = false;
};

} // namespace

std::unique_ptr<FileEvents> FileEvents::watch(const std::string& path) noexcept {
    try {
        const auto slash = path.rfind('/');
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        if (name.empty() || name == "." || name == "..") {
            return nullptr;
        }
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
        UniqueFd inotify(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
        UniqueFd wakeUp(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
        if (!inotify || !wakeUp || ::inotify_add_watch(inotify.get(), folder.c_str(), kFolderEvents) < 0) {
            return nullptr; // no such folder, the watch or instance limit, a path the kernel refuses
        }
        return std::make_unique<InotifyEvents>(std::move(inotify), std::move(wakeUp), name);
    } catch (...) {
        platform::trailCurrentException();
        return nullptr; // out of memory
    }
}

} // namespace platform
