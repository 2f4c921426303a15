// A download watched by the real window (Qt, offscreen) at a 500 ms interval
// with copies on: another process appends 1 MiB every 50 ms up to 400 MiB,
// and the window records and copies the file as it grows. The same process
// counts the copies as they get their names and removes them, so that the
// disk holds at most the copy under way and the one just made.

#include "benchHost.h"
#include "copierBench.h"
#include "processUsage.h"

#include "app/frmMain.h"
#include "app/modKorvelIni.h"
#include "copies/unfinishedCopies.h"
#include "ui/qt/MainWindow.h"

#include <QApplication>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace copierbench {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kMegabytes = 400;    // the download, in writes of 1 MiB
constexpr auto kWriteEvery = 50ms; // 20 MiB/s
constexpr double kMiB = 1 << 20;

// The copies counted so far.
struct Tally {
    long copies = 0;
    std::int64_t bytes = 0;
    std::int64_t allocated = 0;
    std::int64_t largest = 0;
};

// Counts the copies that have got their names, and removes them.
void sweep(const fs::path& copies, Tally& tally) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(copies, error)) {
        struct stat info {};
        if (entry.path().filename().string().starts_with(copies::kUnfinishedCopyPrefix) ||
            ::stat(entry.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            continue;
        }
        ++tally.copies;
        tally.bytes += info.st_size;
        tally.allocated += static_cast<std::int64_t>(info.st_blocks) * 512;
        tally.largest = std::max<std::int64_t>(tally.largest, info.st_size);
        fs::remove(entry.path(), error);
    }
}

// What the download process has said on its standard output so far.
class Said {
public:
    explicit Said(int fd) : m_fd(fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }
    // Takes in what is there; with `toEnd`, waits for the rest.
    const std::string& text(bool toEnd = false) {
        if (toEnd) {
            ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
        }
        char buffer[4096];
        for (ssize_t got = 0; (got = ::read(m_fd, buffer, sizeof buffer)) != 0;) {
            if (got > 0) {
                m_text.append(buffer, static_cast<std::size_t>(got));
            } else if (errno != EINTR) {
                return m_text;
            }
        }
        m_ended = true;
        return m_text;
    }
    // Its standard output has been closed.
    bool ended() const { return m_ended; }
    // The number after `word` in what was said, if it was said.
    std::optional<double> number(std::string_view word) const {
        const auto at = m_text.find(word);
        if (at == std::string::npos) {
            return std::nullopt;
        }
        return std::strtod(m_text.c_str() + at + word.size(), nullptr);
    }

private:
    int m_fd;
    std::string m_text;
    bool m_ended = false;
};

} // namespace

// Arguments: the file to grow and the copies folder to sweep. Says
// "downloaded <seconds>" once the file is whole, sweeps until its standard
// input ends, then says what it counted.
int download(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const fs::path copies = argv[1];
    const auto block = megabyteOfData();
    const int fd = ::open(argv[0], O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) {
        return 1;
    }
    Tally tally;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kMegabytes; ++i) {
        std::this_thread::sleep_until(start + i * kWriteEvery);
        if (::write(fd, block.data(), block.size()) != static_cast<ssize_t>(block.size())) {
            break;
        }
        sweep(copies, tally);
    }
    ::close(fd);
    std::printf("downloaded %.3f\n", secondsSince(start));
    std::fflush(stdout);
    pollfd input{STDIN_FILENO, POLLIN, 0};
    while (::poll(&input, 1, 50) == 0) {
        sweep(copies, tally);
    }
    sweep(copies, tally);
    std::printf("copies %ld bytes %lld allocated %lld largest %lld\n", tally.copies,
                static_cast<long long>(tally.bytes), static_cast<long long>(tally.allocated),
                static_cast<long long>(tally.largest));
    return 0;
}

void growingDownload(const fs::path& folder) {
    const char* figure = "400 MiB download at 20 MiB/s";
    const fs::path place = folder / "download";
    fs::create_directories(place / "Copies");
    const fs::path watched = place / "download.bin";
    std::ofstream(watched, std::ios::binary).flush();
    std::ofstream(place / "Settings.ini")
        << "[Main]\r\nMONITOR=0\r\nCOPY=0\r\nBALLOON=0\r\nNOTIFY=0\r\nBEEP=0\r\nFILENAME=" << watched.string()
        << "\r\n";

    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    char name[] = "copier_bench";
    char* qtArgv[] = {name, nullptr};
    QApplication application(qtArgc, qtArgv);
    ui::MainWindow window;
    BenchHost host(window, place.string() + "/");
    frmMain form(window.controls(), host);
    form.Form_Load();
    window.show();
    const auto c = window.controls();
    c.txtInterval.setText("500");
    c.chkMonitor.setValue(1);
    runLoopFor(1000ms); // the first look at the empty file, before copies are on
    c.chkMakeCopy.setValue(1);

    int toChild[2];
    int fromChild[2];
    pid_t child = -1;
    if (::pipe2(toChild, O_CLOEXEC) == 0 && ::pipe2(fromChild, O_CLOEXEC) == 0) {
        child = start({"/proc/self/exe", std::string(kDownloadOption), watched.string(), (place / "Copies").string()},
                      toChild[0], fromChild[1], STDERR_FILENO);
        ::close(toChild[0]);
        ::close(fromChild[1]);
    }
    if (child < 0) {
        skipped(figure, "the download could not be started");
    } else {
        Said said(fromChild[0]);
        const auto rowsBefore = c.lstLog.rowCount();
        const double cpuBefore = cpuSeconds();
        const auto begun = std::chrono::steady_clock::now();
        // The download, then the copies it leaves to make: done once no copy
        // has run for three ticks. Two minutes at the most.
        std::optional<double> downloaded;
        auto idleSince = std::chrono::steady_clock::now();
        while (secondsSince(begun) < 120) {
            runLoopFor(100ms);
            said.text();
            downloaded = said.number("downloaded ");
            if (!downloaded && said.ended()) {
                break; // it stopped without a word
            }
            if (!downloaded || form.copyRunning()) {
                idleSince = std::chrono::steady_clock::now();
            } else if (secondsSince(idleSince) >= 1.5) {
                break;
            }
        }
        const double cpu = cpuSeconds() - cpuBefore;
        const double span = secondsSince(begun);
        const auto rows = c.lstLog.rowCount() - rowsBefore;
        c.chkMonitor.setValue(0);
        if (!downloaded) {
            ::kill(child, SIGTERM);
        }
        ::close(toChild[1]);
        said.text(true);
        finish(child);
        ::close(fromChild[0]);
        const auto copies = said.number("copies ");
        if (!downloaded || !copies) {
            skipped(figure, "the download did not end within two minutes");
        } else {
            const double bytes = said.number("bytes ").value_or(0);
            const double largest = said.number("largest ").value_or(0);
            std::printf("%s, watched at 500 ms with copies on, Copies on %s:\n", figure, fileSystemType(place).c_str());
            std::printf("  the download took %.1f s; %lld rows, %.0f copies, the largest %.0f MiB (%s)\n", *downloaded,
                        static_cast<long long>(rows), *copies, largest / kMiB,
                        largest == kMegabytes * kMiB ? "the whole download" : "not the whole download");
            std::printf("  written to Copies: %.0f MiB (the copies' sizes), %.0f MiB allocated; %.1f x the download\n",
                        bytes / kMiB, said.number("allocated ").value_or(0) / kMiB, bytes / (kMegabytes * kMiB));
            std::printf("  the program's CPU: %.2f s over %.1f s (the download and the copies after it) = %.1f %% of "
                        "one core\n",
                        cpu, span, cpu / span * 100);
        }
    }
    c.chkMakeCopy.setValue(0);
    form.Form_Unload();
    flushIniWrites(std::chrono::seconds(10));
    std::error_code ignored;
    fs::remove_all(place, ignored);
}

} // namespace copierbench
