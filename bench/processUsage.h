#pragma once
// What this process has used so far, for the figures the bench programs print.

#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

inline double secondsOf(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

// User and system CPU time in `usage`, in seconds.
inline double cpuSecondsOf(const rusage& usage) {
    return secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime);
}

// User and system CPU time of this process, threads that have ended included, in seconds.
inline double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return cpuSecondsOf(usage);
}

// The calling thread's alone.
inline rusage threadUsage() {
    rusage usage{};
    ::getrusage(RUSAGE_THREAD, &usage);
    return usage;
}

// A kilobyte figure of /proc/self/status, such as "VmRSS:" (resident now) or
// "VmHWM:" (the peak); 0 when it is missing.
inline long statusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
        }
    }
    return 0;
}
