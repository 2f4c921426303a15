#include "platform/threads.h"

#include <csignal>
#include <pthread.h>

namespace platform {

void keepSignalsFromThisThread() noexcept {
    sigset_t all;
    sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, nullptr);
}

} // namespace platform
