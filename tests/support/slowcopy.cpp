// Test helper, run as a separate process that a test kills in the middle of
// a copy:
//   slowcopy <source> <destination> <ready-marker>
//     copies the source with the program's copier; after its second pass it
//     creates the ready marker and waits there (two minutes at most, so that
//     a test that fails to kill it leaves nothing running for long).
// Exit code 0 when the copy completed, 2 when it did not, 3 when it waited in vain.

#include "copies/FileCopyClass.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    if (argc != 4) {
        return 1;
    }
    const std::string marker = argv[3];
    int pass = 0;
    bool waited = false;
    FileCopyClass copier;
    copier.setPassHook([&] {
        if (++pass != 2) {
            return;
        }
        if (std::FILE* ready =
                std::fopen(std::filesystem::path(std::u8string(marker.begin(), marker.end())).string().c_str(), "wb")) {
            std::fclose(ready);
        }
        std::this_thread::sleep_for(std::chrono::minutes(2));
        waited = true;
    });
    copier.Copy(argv[1], argv[2]);
    if (waited) {
        return 3;
    }
    return copier.LastOutcome() == CopyOutcome::Copied ? 0 : 2;
}
