#pragma once
// Starting another process from a test and waiting for it.

#include <optional>
#include <string>
#include <vector>

namespace testsupport {

class ChildProcess {
public:
    // args[0] is the program's path. nullopt when it could not be started.
    static std::optional<ChildProcess> start(const std::vector<std::string>& args);

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&&) = delete;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess(); // kills the process if it is still running

    // Waits for the process to end; its exit code, or -1.
    int wait();
    // Asks the process to end (SIGTERM; on Windows it is ended at once) and waits for it.
    int terminate();
    // Ends the process at once, with no chance to clean up (SIGKILL,
    // TerminateProcess), and waits for it.
    int kill();

private:
    ChildProcess() = default;
    struct Handle;
    Handle* m_handle = nullptr;
};

// This process's id, and whether a process of that id runs now (a process
// of another user counts).
unsigned long currentProcessId();
bool processRunning(unsigned long id);

// The name of a helper program built beside the tests ("holdopen" -> ".../holdopen[.exe]").
std::string helperProgram(const std::string& name);

} // namespace testsupport
