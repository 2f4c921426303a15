#include "support/unprivileged.h"

namespace testsupport {

// The read-only attribute binds every user on Windows.
void runUnprivileged(const std::function<void()>& body) {
    body();
}

} // namespace testsupport
