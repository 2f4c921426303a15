#pragma once
// What the parts of the copier bench share: the programs it starts, the files
// it writes and how it prints its figures. Each part takes a folder of its
// own inside the bench's folder and leaves nothing behind in it.

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace copierbench {

// A program the bench ran, once it has ended.
struct Finished {
    int status = -1;    // its exit status; -1 when it did not start or did not exit
    rusage usage{};     // its own CPU time and the like, from wait4
    std::string errors; // what it wrote to its standard error, or why it did not start
};

// Starts `arguments` (the program looked for on PATH unless it is a path)
// with the given descriptors as its standard input, output and error (-1:
// /dev/null). -1 when it could not be started; errno says why.
pid_t start(const std::vector<std::string>& arguments, int input, int output, int errors);
// Waits for a started program to end.
Finished finish(pid_t pid);
// Runs a program to its end, keeping what it writes to its standard error.
Finished run(const std::vector<std::string>& arguments);
// The first line of a program's complaint, or of why it did not start.
std::string firstLine(const Finished& finished);

// One megabyte of bytes that neither compress nor look like a hole.
std::vector<char> megabyteOfData();
// Writes `bytes` of that pattern to a new file and puts it on the disk.
bool writeData(const std::string& path, std::int64_t bytes);
// Puts what every file on `path`'s file system still holds in memory on the disk.
void flushFileSystem(const std::filesystem::path& path);

// The parts one after the other: "literal" + a temporary string makes GCC 12
// at -O3 warn (-Wrestrict), wrongly.
std::string joined(std::initializer_list<std::string_view> parts);

double median(std::vector<double> values);
double secondsSince(std::chrono::steady_clock::time_point start);
// The type of the file system `path` is on, as the kernel names it ("ext4").
std::string fileSystemType(const std::filesystem::path& path);
// "<figure>: skipped, <why>".
void skipped(std::string_view figure, std::string_view why);

// The parts after the copy in the page cache, each in a folder it makes
// inside `folder` and removes again.
void reflinkCopy(const std::filesystem::path& folder);
void sparseCopy(const std::filesystem::path& folder);
void growingDownload(const std::filesystem::path& folder);

// The download that growingDownload watches runs as another process: this
// program started with kDownloadOption and the arguments download() takes.
inline constexpr std::string_view kDownloadOption = "--grow-download";
int download(int argc, char** argv);

} // namespace copierbench
