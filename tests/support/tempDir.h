#pragma once
// A fresh folder for one test, removed with everything in it afterwards
// (once the settings writes asked for so far have ended). The folders that a
// test program killed at its time-out left behind are removed by the next
// test program that makes one.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& fsPath() const { return m_path; }
    // The folder, or a name inside it, as the core's UTF-8 text.
    std::string path() const;
    std::string path(std::string_view name) const;

    // Creates (or replaces) a file with these bytes and returns its path.
    std::string write(std::string_view name, std::string_view bytes) const;

private:
    std::filesystem::path m_path;
};

std::string utf8(const std::filesystem::path& path);
// The core's UTF-8 text as a path, for the standard library's file functions.
std::filesystem::path nativePath(const std::string& utf8);
std::string readFile(const std::string& path);

} // namespace testsupport
