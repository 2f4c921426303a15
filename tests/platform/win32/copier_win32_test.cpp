// What other programs' sharing modes and renames do to a copy on Windows,
// where the copier opens its source again for every chunk.

#include "copies/FileCopyClass.h"

#include "support/fileHolder.h"
#include "support/folderContents.h"
#include "support/largeFile.h"
#include "support/tempDir.h"

#include "platform/win32/text.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

using testsupport::folderContents;
using testsupport::TempDir;
using Contents = std::map<std::string, std::string>;

namespace {

// A viewer that keeps the previous copy open without delete sharing: the copy
// cannot replace it, fails, and the older copy stays whole.
TEST(CopierWin32, ADestinationHeldOpenByAViewerKeepsTheOlderCopy) {
    TempDir dir;
    const std::string log(100000, 'n');
    const auto source = dir.write("Log.csv", log);
    const auto destination = dir.write("LogTemp.csv", "older copy");
    testsupport::FileHolder viewer(destination, "r");
    ASSERT_TRUE(viewer.holding());
    FileCopyClass copier;
    copier.Copy(source, destination);
    EXPECT_FALSE(copier.Sucessfull());
    EXPECT_EQ(copier.LastOutcome(), CopyOutcome::Failed);
    EXPECT_EQ(copier.LastError().value_or(RtError{}).number, rterr::PermissionDenied);
    EXPECT_EQ(folderContents(dir.fsPath()), (Contents{{"Log.csv", log}, {"LogTemp.csv", "older copy"}}));
    EXPECT_EQ(viewer.release(), 0);
}

// Between pieces the copier holds nothing, so another file can take the
// source's name; the next piece would come from that file, and the copy ends
// there, long before its last pass.
TEST(CopierWin32, AVersionReplacedOrDeletedDuringItsCopyEndsItAndKeepsNothing) {
    struct Case {
        const char* name;
        std::int64_t size;
        std::function<void(const TempDir&, const std::string&)> change;
    };
    const Case cases[] = {
        {"a new version renamed over it", std::int64_t{200} << 20,
         [](const TempDir& dir, const std::string& source) {
             const auto newer = dir.path("newer.bin");
             ASSERT_TRUE(testsupport::writePatternFile(newer, 1 << 20, 2));
             std::filesystem::rename(testsupport::nativePath(newer), testsupport::nativePath(source));
         }},
        {"deleted", std::int64_t{8} << 20,
         [](const TempDir&, const std::string& source) { std::filesystem::remove(testsupport::nativePath(source)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::filesystem::create_directory(dir.fsPath() / "Copies");
        const auto source = dir.path("current.bin");
        const auto destination = dir.path("Copies\\copy.bin");
        ASSERT_TRUE(testsupport::writePatternFile(source, c.size, 1));
        int pass = 0;
        FileCopyClass copier;
        copier.setPassHook([&] {
            if (++pass == 2) {
                c.change(dir, source);
            }
        });
        copier.Copy(source, destination);
        EXPECT_EQ(copier.LastOutcome(), CopyOutcome::SourceChanged);
        EXPECT_GE(pass, 2);
        EXPECT_LT(pass, c.size / FileCopyClass::kDefaultChunkSize / 4);
        EXPECT_TRUE(folderContents(dir.fsPath() / "Copies").empty());
    }
}

// A sparse file of `length` bytes that holds `data` at each offset and holes elsewhere.
bool writeSparseFile(const std::string& path, std::int64_t length, const std::vector<std::int64_t>& offsets,
                     const std::string& data) {
    HANDLE file = ::CreateFileW(platform::win32::wideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD count = 0;
    ::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &count, nullptr);
    LARGE_INTEGER at{};
    at.QuadPart = length;
    bool ok = ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
    for (const auto offset : offsets) {
        at.QuadPart = offset;
        ok = ok && ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
             ::WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &count, nullptr) && count == data.size();
    }
    return ::CloseHandle(file) && ok;
}

bool isSparse(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(platform::win32::wideFromUtf8(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SPARSE_FILE) != 0;
}

std::int64_t allocatedBytes(const std::string& path) {
    DWORD high = 0;
    const DWORD low = ::GetCompressedFileSizeW(platform::win32::wideFromUtf8(path).c_str(), &high);
    return (static_cast<std::int64_t>(high) << 32) | low;
}

// A sparse source is copied byte for byte to its length, whether it ends in
// data or in a hole; where the file system tells the holes (Wine does not:
// there the copy reads them as zeros), they stay holes in the copy. Bounded:
// where holes are not kept, each file takes its 16 MiB.
TEST(CopierWin32, ASparseSourceIsCopiedWholeAndKeepsItsHoles) {
    constexpr std::int64_t kMiB = std::int64_t{1} << 20;
    const std::string data(6000, 'd');
    for (const bool dataAtTheEnd : {true, false}) {
        SCOPED_TRACE(dataAtTheEnd);
        TempDir dir;
        std::filesystem::create_directory(dir.fsPath() / "Copies");
        const auto source = dir.path("sparse.bin");
        const auto destination = dir.path("Copies\\copy.bin");
        std::vector<std::int64_t> offsets{0, 5 * kMiB + 123, 9 * kMiB};
        if (dataAtTheEnd) {
            offsets.push_back(16 * kMiB - 6000);
        }
        ASSERT_TRUE(writeSparseFile(source, 16 * kMiB, offsets, data));
        FileCopyClass copier;
        copier.Copy(source, destination);
        ASSERT_EQ(copier.LastOutcome(), CopyOutcome::Copied);
        EXPECT_EQ(copier.PercentREady(), 100); // the chunk loop's last: 16,768,000 bytes of 16 MiB, 99.945 %
        EXPECT_TRUE(testsupport::readFile(destination) == testsupport::readFile(source));
        if (isSparse(source) && allocatedBytes(source) < kMiB) {
            EXPECT_TRUE(isSparse(destination));
            EXPECT_LT(allocatedBytes(destination), kMiB);
        }
    }
}

} // namespace
