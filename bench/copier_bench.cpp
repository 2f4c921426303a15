// The copier at work, each figure next to its target:
// - a 1 GiB file already in the page cache, copied by the copier and by
//   cp(1), alone and followed by a flush of its copy to the disk (the copier
//   keeps a copy only once it is on the disk): wall time and CPU time, five
//   interleaved rounds;
// - a 1 GiB copy on XFS with reflink (an image on a loop device, as root):
//   its time and the free space it takes;
// - a 3 GiB sparse file with one block of data: the copy's time and its size on the disk;
// - a 400 MB download growing at 20 MB/s, watched by the real window at
//   500 ms with copies on: the copies, the bytes they put on the disk and the
//   program's CPU time;
// and appending one change-log line, next to a bare open, append and close
// of the same bytes.

#include "benchReport.h"
#include "copierBench.h"
#include "processUsage.h"

#include "copies/FileCopyClass.h"
#include "log/changeLog.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace copierbench;

fs::path g_folder;

std::string path(const char* name) {
    return (g_folder / name).string();
}

const std::string kLine = "06/12/2026 06:41:39,Free,1536,1.5 kb,05/12/2026 17:02:11";

void BM_AppendLogLine(benchmark::State& state) {
    const auto log = path("Log.csv");
    for (auto _ : state) {
        modKorvel::AppendLogLine(kLine, log);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendLogLine);

void BM_BareOpenAppendClose(benchmark::State& state) {
    const auto log = path("Bare.csv");
    const std::string bytes = kLine + "\r\n";
    for (auto _ : state) {
        const int fd = ::open(log.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        benchmark::DoNotOptimize(::write(fd, bytes.data(), bytes.size()));
        ::close(fd);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BareOpenAppendClose);

// What one way of copying took, round by round: wall time and CPU time.
struct Rounds {
    std::vector<double> wall;
    std::vector<double> user;
    std::vector<double> system;

    void add(double seconds, double userSeconds, double systemSeconds) {
        wall.push_back(seconds);
        user.push_back(userSeconds);
        system.push_back(systemSeconds);
    }
    double cpu() const {
        std::vector<double> both;
        for (std::size_t i = 0; i < user.size(); ++i) {
            both.push_back(user[i] + system[i]);
        }
        return median(both);
    }
    void print(const char* label, const char* whose) const {
        std::printf("  %-16s %6.2f s   CPU %5.2f s (user %.2f, system %.2f) %s\n", label, median(wall), cpu(),
                    median(user), median(system), whose);
    }
};

// The CPU time the calling thread spent between two looks.
struct ThreadCpu {
    rusage before = threadUsage();
    double user() const { return secondsOf(threadUsage().ru_utime) - secondsOf(before.ru_utime); }
    double system() const { return secondsOf(threadUsage().ru_stime) - secondsOf(before.ru_stime); }
};

// Each round starts with no copy of the one before on the disk or on its way there.
void clearFor(const std::string& destination) {
    std::error_code ignored;
    fs::remove(destination, ignored);
    flushFileSystem(g_folder);
}

// The 1 GiB file in the page cache, copied by the copier, by cp, and by cp
// and a flush, taking turns, five rounds: the median of each, so that the
// page cache and the disk treat them alike.
void cachedCopies(const std::string& source) {
    constexpr int kRounds = 5;
    Rounds copier;
    Rounds cp;
    Rounds cpFlushed;
    FileCopyClass turns; // no message loop: Copy runs on this thread
    for (int round = 0; round < kRounds; ++round) {
        const auto copierCopy = path("copier copy.bin");
        clearFor(copierCopy);
        auto start = std::chrono::steady_clock::now();
        ThreadCpu copying;
        turns.Copy(source, copierCopy);
        copier.add(secondsSince(start), copying.user(), copying.system());
        if (turns.LastOutcome() != CopyOutcome::Copied) {
            std::printf("1 GiB cached copy: the copier failed: %s\n",
                        turns.LastError() ? turns.LastError()->text().c_str() : "no reason given");
            return;
        }

        const auto cpCopy = path("cp copy.bin");
        clearFor(cpCopy);
        start = std::chrono::steady_clock::now();
        const auto alone = run({"cp", source, cpCopy});
        cp.add(secondsSince(start), secondsOf(alone.usage.ru_utime), secondsOf(alone.usage.ru_stime));

        const auto flushedCopy = path("cp flushed copy.bin");
        clearFor(flushedCopy);
        start = std::chrono::steady_clock::now();
        const auto flushed = run({"cp", source, flushedCopy});
        ThreadCpu flushing;
        const int fd = ::open(flushedCopy.c_str(), O_RDONLY | O_CLOEXEC);
        const bool onDisk = fd >= 0 && ::fsync(fd) == 0;
        if (fd >= 0) {
            ::close(fd);
        }
        cpFlushed.add(secondsSince(start), secondsOf(flushed.usage.ru_utime) + flushing.user(),
                      secondsOf(flushed.usage.ru_stime) + flushing.system());
        if (alone.status != 0 || flushed.status != 0 || !onDisk) {
            std::printf("1 GiB cached copy: cp or its flush failed: %s\n",
                        firstLine(alone.status != 0 ? alone : flushed).c_str());
            return;
        }
    }
    for (const auto* copy : {"copier copy.bin", "cp copy.bin", "cp flushed copy.bin"}) {
        clearFor(path(copy));
    }
    std::printf("1 GiB file in the page cache, on %s, %d interleaved rounds, medians:\n",
                fileSystemType(g_folder).c_str(), kRounds);
    copier.print("copier", "its thread's (Copy runs on the calling thread)");
    cp.print("cp", "cp's own (wait4)");
    cpFlushed.print("cp and a flush", "cp's own and the flush's thread");
    const auto line = [](const char* label, double ratio, const char* target) {
        std::printf("%-48s %10.2f x%s\n", label, ratio, target);
    };
    line("copier CPU against cp's own CPU", copier.cpu() / cp.cpu(), "  (target at most 1.2 x)");
    // The copier's thread also puts its copy on the disk, which for cp the
    // kernel's flusher threads do after it has gone.
    line("copier CPU against cp's own and its flush's", copier.cpu() / cpFlushed.cpu(), "");
    line("copier speed against cp and a flush", median(cpFlushed.wall) / median(copier.wall),
         "  (target at least 1.0 x)");
    line("copier speed against cp alone", median(cp.wall) / median(copier.wall), "");
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && argv[1] == kDownloadOption) {
        return download(argc - 2, argv + 2);
    }
    g_folder = fs::temp_directory_path() / joined({"sentrel-bench-", std::to_string(::getpid())});
    fs::create_directories(g_folder);

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.printRatio("AppendLogLine against bare open/append/close", "BM_AppendLogLine", "BM_BareOpenAppendClose");
    benchmark::Shutdown();
    std::printf("\n");

    const auto source = path("current.bin");
    if (writeData(source, std::int64_t{1} << 30)) {
        // Read once, so that every round finds it in the page cache.
        std::ifstream in(source, std::ios::binary);
        std::vector<char> block(1 << 20);
        while (in.read(block.data(), static_cast<std::streamsize>(block.size()))) {
        }
        cachedCopies(source);
    } else {
        skipped("1 GiB cached copy", "the source could not be written");
    }
    std::error_code ignored;
    fs::remove(source, ignored);
    std::fflush(stdout);

    reflinkCopy(g_folder);
    sparseCopy(g_folder);
    std::fflush(stdout);
    growingDownload(g_folder);

    fs::remove_all(g_folder, ignored);
    return 0;
}
