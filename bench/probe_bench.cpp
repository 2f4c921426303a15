// The cost of one probe of a local file, next to the floor (a bare stat plus
// an open and close of the same file) and next to asking fuser(1) the same question.

#include "benchReport.h"
#include "watch/modSentrel.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

extern char** environ;

namespace {

std::string g_file;

void BM_GetFileState(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(modSentrel::GetFileState(g_file));
    }
}
BENCHMARK(BM_GetFileState);

void BM_StatOpenCloseFloor(benchmark::State& state) {
    for (auto _ : state) {
        struct stat info {};
        benchmark::DoNotOptimize(::stat(g_file.c_str(), &info));
        const int fd = ::open(g_file.c_str(), O_RDONLY | O_CLOEXEC);
        ::close(fd);
    }
}
BENCHMARK(BM_StatOpenCloseFloor);

void BM_Fuser(benchmark::State& state) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string program = "fuser";
    std::string silent = "-s";
    char* argv[] = {program.data(), silent.data(), g_file.data(), nullptr};
    for (auto _ : state) {
        pid_t pid = -1;
        if (::posix_spawnp(&pid, "fuser", &actions, nullptr, argv, environ) != 0) {
            state.SkipWithError("fuser is not installed");
            break;
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
}
BENCHMARK(BM_Fuser)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    const auto folder = std::filesystem::temp_directory_path() / ("sentrel-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    g_file = (folder / "current.csv").string();
    std::ofstream(g_file) << "a,b,c\r\n";

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.printRatio("GetFileState against the stat+open+close floor", "BM_GetFileState", "BM_StatOpenCloseFloor");
    reporter.printRatio("fuser against GetFileState", "BM_Fuser", "BM_GetFileState");
    benchmark::Shutdown();

    std::filesystem::remove_all(folder);
    return 0;
}
