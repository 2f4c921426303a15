#pragma once
// Another process started from a test: it can be waited for, with a limit or
// without, signalled where the platform has signals, and is never left
// behind: on destruction it is killed and reaped.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

class ChildProcess {
public:
    // args[0] is the program's path; its standard output and error are
    // appended to `output` when one is named. nullopt when it could not be
    // started.
    static std::optional<ChildProcess> start(const std::vector<std::string>& args, const std::string& output = {});

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept; // ends the process it had first
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess(); // kills the process if it is still running, and reaps it

    unsigned long id() const { return m_id; }
    // Waits up to `limit` for the process to end: its exit code (128 + the
    // signal that ended it, -1 when it cannot be known), or nullopt while it
    // still runs.
    std::optional<int> waitFor(std::chrono::milliseconds limit) { return reap(limit); }
    // Waits for the process to end; its exit code as above.
    int wait() { return reap(std::nullopt).value_or(-1); }
    // Asks the process to end (SIGTERM; on Windows it is ended at once) and waits for it.
    int terminate();
    // Ends the process at once, with no chance to clean up (SIGKILL,
    // TerminateProcess), and waits for it.
    int kill();
#ifndef _WIN32
    void signal(int number) const;
#endif

private:
    ChildProcess() = default;
    bool running() const {
        return m_id != 0 && !m_status;
    }
    void finish() noexcept;
    // The platform's part (posix/ and win32/childProcess.cpp).
    std::optional<int> reap(std::optional<std::chrono::milliseconds> limit);
    void end(bool atOnce);
    void release() noexcept;

    std::uintptr_t m_handle = 0; // the process handle where the platform has one
    unsigned long m_id = 0;
    std::optional<int> m_status;
};

// This process's id, and whether a process of that id runs now (a process
// of another user counts).
unsigned long currentProcessId();
bool processRunning(unsigned long id);

// The name of a helper program built beside the tests ("holdopen" -> ".../holdopen[.exe]").
std::string helperProgram(const std::string& name);

} // namespace testsupport
