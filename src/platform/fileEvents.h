#pragma once
// The file system's change events for one file: the folder that holds it is
// watched, and only what concerns the file's name (written, closed after
// writing, attributes, created, renamed in or out, deleted) or the folder
// itself (deleted, renamed, unmounted) is reported. Events only say *that*
// something happened, never what the file looks like now.
//
// Where the file system sends no events (network shares, many FUSE file
// systems) a watch may be set and stay silent: callers keep polling.

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace platform {

class FileEvents {
public:
    enum class Event {
        None,    // the wait ended without events for the file (timed out, or wake())
        Changed, // something happened to the file, or events may have been lost
        Lost,    // the folder itself went away: this watch reports nothing any more
    };

    // Starts watching the folder of `path` for its last component; nullptr
    // when the system refuses (no such folder, the watch limit reached, a
    // path it cannot watch). May block as long as the file system takes to
    // look the folder up: never call it on the GUI thread.
    static std::unique_ptr<FileEvents> watch(const std::string& path) noexcept;

    virtual ~FileEvents() = default;
    // Waits until events arrive, wake() is called, or `timeout` has passed
    // (without one: as long as it takes), and reports what arrived. Takes
    // every event that is waiting, so one burst is one answer.
    virtual Event wait(std::optional<std::chrono::milliseconds> timeout) noexcept = 0;
    // Makes the wait under way, or the next one, return at once. Safe from any thread.
    virtual void wake() noexcept = 0;
};

} // namespace platform
