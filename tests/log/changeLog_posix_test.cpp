// The change log on a disk that fills up under it (a small tmpfs, as root).

#include "log/changeLog.h"

#include "common/userMessage.h"
#include "platform/posix/uniqueFd.h"
#include "support/posix/smallVolume.h"
#include "support/tempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The line that found the disk full is taken back to where the file ended,
// so the next line never runs into half of it; it is written whole, in front
// of the next one, once there is room again.
TEST(AppendLogLineOnAFullDisk, APartOfALineIsTakenBackAndTheWholeLineFollowsLater) {
    const testsupport::TempDir dir;
    const auto small = dir.fsPath() / "small";
    const auto volume = testsupport::SmallVolume::mount(small, "size=16k");
    if (!volume) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (it takes root): no disk to fill";
    }
    std::vector<std::string> messages;
    const struct Restore {
        UserMessageSink previous;
        ~Restore() { setUserMessageSink(previous); }
    } restore{setUserMessageSink([&](const UserMessage& message) { messages.push_back(message.text); })};
    const auto log = testsupport::utf8(small / "Log.csv");
    modKorvel::AppendLogLine("first", log);
    {
        // The rest of the disk, page by page: the log's own page keeps room for the start of a line.
        const platform::UniqueFd filler(::open((small / "filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
        ASSERT_TRUE(filler);
        const std::string page(4096, 'f');
        int pages = 0;
        while (pages++ < 16 && ::write(filler.get(), page.data(), page.size()) > 0) {
        }
    }
    const std::string longLine(6000, 'x');
    modKorvel::AppendLogLine(longLine, log);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Error saving to log: 61 - ", 0), 0u) << messages[0];
    EXPECT_EQ(testsupport::readFile(log), "first\r\n");

    std::filesystem::remove(small / "filler");
    modKorvel::AppendLogLine("next", log);
    EXPECT_EQ(testsupport::readFile(log), "first\r\n" + longLine + "\r\nnext\r\n");
    EXPECT_EQ(messages.size(), 1u);
}

} // namespace
