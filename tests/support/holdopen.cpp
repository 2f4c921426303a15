// Test helper, run as a separate process:
//   holdopen hold <file> <r|w> <ready-marker> <release-marker>
//     opens the file, creates the ready marker, keeps the file open until the
//     release marker exists, then closes it.
//   holdopen churn <file> <count>
//     opens and closes the file <count> times as fast as it can.
//   holdopen wait <release-marker>
//     does nothing until the marker exists (at most two hours); under Wine it
//     keeps the wine server up while a test run starts many short processes.
// Exit code 0 on success.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

std::filesystem::path native(const char* utf8) {
    const std::string text(utf8);
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::FILE* openFile(const char* file, const std::string& mode) {
    return std::fopen(native(file).string().c_str(), mode == "w" ? "r+b" : "rb");
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "hold" && argc == 6) {
        std::FILE* held = openFile(argv[2], argv[3]);
        if (held == nullptr) {
            return 2;
        }
        if (std::FILE* ready = std::fopen(native(argv[4]).string().c_str(), "wb")) {
            std::fclose(ready);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (!std::filesystem::exists(native(argv[5]))) {
            if (std::chrono::steady_clock::now() > deadline) {
                return 3;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        std::fclose(held);
        return 0;
    }
    if (command == "churn" && argc == 4) {
        const long count = std::strtol(argv[3], nullptr, 10);
        for (long i = 0; i < count; ++i) {
            std::FILE* file = openFile(argv[2], "r");
            if (file == nullptr) {
                return 2;
            }
            std::fclose(file);
        }
        return 0;
    }
    if (command == "wait" && argc == 3) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::hours(2);
        while (!std::filesystem::exists(native(argv[2])) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return 0;
    }
    return 1;
}
