#include "support/tempDir.h"

#include "app/modKorvelIni.h"
#include "support/childProcess.h"

#include <atomic>
#include <charconv>
#include <chrono>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <system_error>

namespace testsupport {

std::string utf8(const std::filesystem::path& path) {
    const auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path nativePath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

namespace {

// "sentrel-test-pid<id>-<n>": the folders of one test program carry its
// process id, so that those of a program that was killed (at its time-out)
// are known by a process that no longer runs.
constexpr std::string_view kPrefix = "sentrel-test-pid";

std::optional<unsigned long> ownerOf(const std::string& name) {
    if (!name.starts_with(kPrefix)) {
        return std::nullopt;
    }
    unsigned long id = 0;
    const char* end = name.data() + name.size();
    const auto [at, error] = std::from_chars(name.data() + kPrefix.size(), end, id);
    if (error != std::errc() || at == end || *at != '-') {
        return std::nullopt;
    }
    return id;
}

void removeFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(folder, error);
}

// What test programs that were killed left behind, removed once per program.
void removeFoldersOfEndedPrograms(const std::filesystem::path& base) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(base, error), end; !error && entry != end; entry.increment(error)) {
        const auto owner = ownerOf(entry->path().filename().string());
        if (owner && *owner != currentProcessId() && !processRunning(*owner)) {
            removeFolder(entry->path());
        }
    }
}

} // namespace

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    const auto base = std::filesystem::temp_directory_path();
    static std::once_flag cleaned;
    std::call_once(cleaned, [&] { removeFoldersOfEndedPrograms(base); });
    const std::string prefix = std::string(kPrefix) + std::to_string(currentProcessId()) + "-";
    for (;;) {
        m_path = base / (prefix + std::to_string(counter++));
        std::error_code error;
        if (std::filesystem::create_directory(m_path, error)) {
            break;
        }
    }
}

TempDir::~TempDir() {
    // A settings write still on its way would put a file into the folder
    // while it is being removed, and keep it from going.
    flushIniWrites(std::chrono::seconds(10));
    removeFolder(m_path);
}

std::string TempDir::path() const {
    return utf8(m_path);
}

std::string TempDir::path(std::string_view name) const {
    return utf8(m_path / std::filesystem::path(std::u8string(name.begin(), name.end())));
}

std::string TempDir::write(std::string_view name, std::string_view bytes) const {
    const auto full = path(name);
    std::ofstream out(m_path / std::filesystem::path(std::u8string(name.begin(), name.end())),
                      std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return full;
}

std::string readFile(const std::string& path) {
    std::ifstream in(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

} // namespace testsupport
