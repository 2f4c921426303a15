#include "platform/sound.h"

#include "platform/posix/programs.h"
#include "platform/posix/uniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace platform {

namespace {

constexpr int kSampleRate = 44100;

void put16(std::vector<char>& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value & 0xff));
    out.push_back(static_cast<char>(value >> 8));
}

void put32(std::vector<char>& out, std::uint32_t value) {
    put16(out, static_cast<std::uint16_t>(value & 0xffff));
    put16(out, static_cast<std::uint16_t>(value >> 16));
}

// A 16-bit mono WAV file of the tone, with 5 ms ramps so it does not click.
std::vector<char> toneWave(std::int32_t frequency, std::int32_t milliseconds) {
    const auto samples = static_cast<std::uint32_t>(static_cast<std::int64_t>(kSampleRate) * milliseconds / 1000);
    std::vector<char> wave;
    wave.insert(wave.end(), {'R', 'I', 'F', 'F'});
    put32(wave, 36 + samples * 2);
    wave.insert(wave.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(wave, 16);
    put16(wave, 1); // PCM
    put16(wave, 1); // mono
    put32(wave, kSampleRate);
    put32(wave, kSampleRate * 2);
    put16(wave, 2);
    put16(wave, 16);
    wave.insert(wave.end(), {'d', 'a', 't', 'a'});
    put32(wave, samples * 2);
    const double ramp = kSampleRate * 0.005;
    for (std::uint32_t i = 0; i < samples; ++i) {
        const double envelope = std::min({1.0, i / ramp, (samples - i) / ramp});
        const double value = std::sin(2 * M_PI * frequency * i / kSampleRate) * envelope * 0.4;
        put16(wave, static_cast<std::uint16_t>(static_cast<std::int16_t>(value * 32767)));
    }
    return wave;
}

// A player that gives up early closes the pipe, and the next write raises
// SIGPIPE, which would end the program. While this lives, the signal is held
// back in the calling thread alone (the tone plays beside the GUI thread, and
// the process's own handling stays as it is), and one raised meanwhile is
// taken back before it is let through.
class SigpipeHeld {
public:
    SigpipeHeld() {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        sigset_t pending;
        sigemptyset(&pending);
        m_wasPending = ::sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
        m_held = ::pthread_sigmask(SIG_BLOCK, &m_pipe, &m_previous) == 0;
    }
    ~SigpipeHeld() {
        if (!m_held) {
            return;
        }
        if (!m_wasPending) {
            const timespec now{};
            while (::sigtimedwait(&m_pipe, nullptr, &now) < 0 && errno == EINTR) {
            }
        }
        ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    SigpipeHeld(const SigpipeHeld&) = delete;
    SigpipeHeld& operator=(const SigpipeHeld&) = delete;

private:
    sigset_t m_pipe{};
    sigset_t m_previous{};
    bool m_wasPending = false;
    bool m_held = false;
};

// Feeds the wave to a player on its standard input and waits for it, but
// never longer than the tone plus two seconds.
bool playWith(const std::string& player, const std::vector<std::string>& options, const std::vector<char>& wave,
              std::int32_t milliseconds) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return false;
    }
    UniqueFd readEnd(pipeEnds[0]);
    UniqueFd writeEnd(pipeEnds[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, readEnd.get(), 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv{const_cast<char*>(player.c_str())};
    for (const auto& option : options) {
        argv.push_back(const_cast<char*>(option.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, player.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    readEnd.reset();
    if (spawned != 0) {
        return false;
    }
    {
        const SigpipeHeld held;
        std::size_t written = 0;
        while (written < wave.size()) {
            const ssize_t n = ::write(writeEnd.get(), wave.data() + written, wave.size() - written);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                break;
            }
            written += static_cast<std::size_t>(n);
        }
    }
    writeEnd.reset();

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds + 2000);
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        if (done < 0 && errno != EINTR) {
            return false;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace

bool playTone(std::int32_t frequency, std::int32_t milliseconds) {
    if (frequency <= 0 || milliseconds <= 0) {
        return false;
    }
    const auto wave = toneWave(frequency, milliseconds);
    // The sound server's player where one runs, else ALSA's.
    if (const auto player = posix::findProgram("paplay"); player && playWith(*player, {}, wave, milliseconds)) {
        return true;
    }
    if (const auto player = posix::findProgram("aplay"); player && playWith(*player, {"-q", "-"}, wave, milliseconds)) {
        return true;
    }
    return false;
}

} // namespace platform
