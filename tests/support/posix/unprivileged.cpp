#include "support/unprivileged.h"

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <thread>

namespace testsupport {

void runUnprivileged(const std::function<void()>& body) {
    if (::geteuid() != 0) {
        body();
        return;
    }
    // Capabilities belong to a thread: drop the ones that override file
    // permissions on a thread of its own, so the rest of the test keeps them.
    // Root regains its capabilities when it starts a program, except those
    // out of the thread's bounding set: they leave that too.
    std::thread worker([&body] {
        constexpr int kOverrides[] = {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER};
        for (const int capability : kOverrides) {
            ::prctl(PR_CAPBSET_DROP, capability, 0, 0, 0);
        }
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
        if (::syscall(SYS_capget, &header, data) == 0) {
            for (const int capability : kOverrides) {
                data[CAP_TO_INDEX(capability)].effective &= ~CAP_TO_MASK(capability);
            }
            ::syscall(SYS_capset, &header, data);
        }
        body();
    });
    worker.join();
}

} // namespace testsupport
