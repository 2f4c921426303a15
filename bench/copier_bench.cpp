// The chunked copier on a 1 GiB file already in the page cache, next to cp(1)
// copying the same file, alone and followed by a flush of its copy to the disk
// (the copier keeps a copy only once it is on the disk); and appending one
// change-log line, next to a bare open, append and close of the same bytes.

#include "benchReport.h"
#include "copies/FileCopyClass.h"
#include "log/changeLog.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr std::int64_t kBigFile = std::int64_t{1} << 30;

std::filesystem::path g_folder;
std::string g_source;

std::string path(const char* name) {
    return (g_folder / name).string();
}

void makeCachedSource() {
    std::vector<char> block(1 << 20);
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<char>(i * 7 + i / 4096);
    }
    {
        std::ofstream out(g_source, std::ios::binary);
        for (std::int64_t done = 0; done < kBigFile; done += static_cast<std::int64_t>(block.size())) {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
        }
    }
    std::ifstream in(g_source, std::ios::binary);
    while (in.read(block.data(), static_cast<std::streamsize>(block.size()))) {
    }
}

void BM_CopierCopy1GiB(benchmark::State& state) {
    FileCopyClass copier;
    const auto destination = path("copier copy.bin");
    for (auto _ : state) {
        copier.Sucessfull(false);
        copier.Copy(g_source, destination);
        if (!copier.Sucessfull()) {
            state.SkipWithError("the copy failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * kBigFile);
}
BENCHMARK(BM_CopierCopy1GiB)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

bool runCp(std::string destination) {
    std::string program = "cp";
    char* argv[] = {program.data(), g_source.data(), destination.data(), nullptr};
    pid_t pid = -1;
    int status = -1;
    return ::posix_spawnp(&pid, "cp", nullptr, nullptr, argv, environ) == 0 && ::waitpid(pid, &status, 0) == pid &&
           status == 0;
}

void BM_Cp1GiB(benchmark::State& state) {
    const auto destination = path("cp copy.bin");
    for (auto _ : state) {
        if (!runCp(destination)) {
            state.SkipWithError("cp failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * kBigFile);
}
BENCHMARK(BM_Cp1GiB)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_CpAndFlush1GiB(benchmark::State& state) {
    const auto destination = path("cp flushed copy.bin");
    for (auto _ : state) {
        const int fd = runCp(destination) ? ::open(destination.c_str(), O_RDONLY | O_CLOEXEC) : -1;
        const bool flushed = fd >= 0 && ::fsync(fd) == 0;
        if (fd >= 0) {
            ::close(fd);
        }
        if (!flushed) {
            state.SkipWithError("cp or its flush failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * kBigFile);
}
BENCHMARK(BM_CpAndFlush1GiB)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

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

} // namespace

int main(int argc, char** argv) {
    g_folder = std::filesystem::temp_directory_path() / ("sentrel-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(g_folder);
    g_source = path("current.bin");
    makeCachedSource();

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.printRatio("copier against cp, 1 GiB cached", "BM_CopierCopy1GiB/iterations:3/real_time",
                        "BM_Cp1GiB/iterations:3/real_time");
    reporter.printRatio("copier against cp and a flush, 1 GiB cached", "BM_CopierCopy1GiB/iterations:3/real_time",
                        "BM_CpAndFlush1GiB/iterations:3/real_time");
    reporter.printRatio("AppendLogLine against bare open/append/close", "BM_AppendLogLine", "BM_BareOpenAppendClose");
    benchmark::Shutdown();

    // The same three copies once more, taking turns, five rounds: the median
    // of each, so that the page cache and the disk treat them alike.
    std::vector<double> copier;
    std::vector<double> cp;
    std::vector<double> cpFlushed;
    const auto seconds = [](auto&& work) {
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    FileCopyClass turns;
    for (int round = 0; round < 5; ++round) {
        copier.push_back(seconds([&] { turns.Copy(g_source, path("copier copy.bin")); }));
        cp.push_back(seconds([&] { runCp(path("cp copy.bin")); }));
        cpFlushed.push_back(seconds([&] {
            runCp(path("cp flushed copy.bin"));
            const int fd = ::open(path("cp flushed copy.bin").c_str(), O_RDONLY | O_CLOEXEC);
            ::fsync(fd);
            ::close(fd);
        }));
    }
    const auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    std::printf("Five interleaved rounds, medians: copier %.2f s, cp %.2f s, cp and a flush %.2f s\n", median(copier),
                median(cp), median(cpFlushed));
    std::printf("  copier speed against cp: %.2f x; against cp and a flush: %.2f x (target 0.9 x)\n",
                median(cp) / median(copier), median(cpFlushed) / median(copier));

    std::filesystem::remove_all(g_folder);
    return 0;
}
