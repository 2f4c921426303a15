// Opening a document through the Windows shell.

#include "common/modKorvel.h"
#include "common/userMessage.h"
#include "support/tempDir.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ShellOpenWin32, AMissingDocumentShowsNoMessage) {
    std::vector<UserMessage> messages;
    const auto saved = setUserMessageSink([&](const UserMessage& message) { messages.push_back(message); });
    testsupport::TempDir dir;
    modKorvel::ShellOpen(dir.path("missing.csv"), dir.path(), std::nullopt);
    setUserMessageSink(saved);
    EXPECT_TRUE(messages.empty());
}

} // namespace
