#pragma once
// Another process that holds a file open until told to let go.

#include "support/childProcess.h"
#include "support/tempDir.h"

#include <optional>
#include <string>

namespace testsupport {

class FileHolder {
public:
    // mode: "r" to hold the file open for reading, "w" for reading and writing.
    FileHolder(const std::string& file, const std::string& mode);
    ~FileHolder();

    // True once the other process has the file open.
    bool holding() const { return m_holding; }
    // Lets the other process close the file and waits for it to end; its exit code.
    int release();

private:
    TempDir m_markers;
    std::optional<ChildProcess> m_child;
    bool m_holding = false;
};

// Waits up to `seconds` for a file to appear.
bool waitForFile(const std::string& path, double seconds);

} // namespace testsupport
