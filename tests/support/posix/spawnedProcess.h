#pragma once
// A process started from a test that the test can signal, wait for with a
// limit, and never leaves behind: on destruction it is killed and reaped.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

class SpawnedProcess {
public:
    // args[0] is the program's path; its standard output and error go to
    // `output` when one is named. nullopt when it could not be started.
    static std::optional<SpawnedProcess> start(const std::vector<std::string>& args, const std::string& output = {});

    SpawnedProcess(SpawnedProcess&& other) noexcept;
    SpawnedProcess& operator=(SpawnedProcess&& other) noexcept; // ends the process it had first
    SpawnedProcess(const SpawnedProcess&) = delete;
    SpawnedProcess& operator=(const SpawnedProcess&) = delete;
    ~SpawnedProcess(); // kills the process if it is still running, and reaps it

    pid_t pid() const { return m_pid; }
    void signal(int number) const;
    // Waits up to `limit` for the process to end: its exit code, 128 + the
    // signal that ended it, or nullopt while it still runs.
    std::optional<int> waitFor(std::chrono::milliseconds limit);
    // SIGKILL, then waits until it has ended.
    int kill();

private:
    explicit SpawnedProcess(pid_t pid) : m_pid(pid) {}
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

} // namespace testsupport
