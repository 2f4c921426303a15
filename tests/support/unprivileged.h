#pragma once
// Runs test code with the file permissions an ordinary user has. A root
// process on Linux writes to read-only files at will; the code under test
// must meet the permission checks that the program's real users meet.

#include <functional>

namespace testsupport {

// Runs `body` to completion, on another thread where that is needed to drop
// privileges for it alone. The programs it starts run with the same limits.
void runUnprivileged(const std::function<void()>& body);

} // namespace testsupport
