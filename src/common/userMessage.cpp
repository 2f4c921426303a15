#include "common/userMessage.h"

#include "common/version.h"

#include <cstdio>
#include <utility>

namespace {

UserMessageSink& currentSink() {
    static UserMessageSink sink;
    return sink;
}

} // namespace

UserMessageSink setUserMessageSink(UserMessageSink sink) {
    return std::exchange(currentSink(), std::move(sink));
}

void showErrorMessage(const std::string& text) {
    try {
        UserMessage message{text, std::string(kAppTitle), MessageIcon::Critical};
        if (const auto& sink = currentSink()) {
            sink(message);
        } else {
            std::fprintf(stderr, "%s: %s\n", message.title.c_str(), message.text.c_str());
        }
    } catch (...) {
        // A message that cannot be shown is dropped; the caller carries on.
    }
}
