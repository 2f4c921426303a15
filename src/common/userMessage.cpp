#include "common/userMessage.h"

#include "common/version.h"
#include "platform/trail.h"

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
        platform::trailCurrentException();
        // A message that cannot be shown is dropped; the caller carries on.
    }
}

namespace {

std::string kindOf(const std::string& text) {
    return text.substr(0, text.find(": "));
}

} // namespace

void OneBoxPerKind::show(const UserMessage& message, const Draw& draw, const std::function<bool()>& goOn) {
    const std::string kind = kindOf(message.text);
    for (auto& box : m_open) {
        if (box.kind == kind) {
            ++box.more;
            box.latest = message;
            return;
        }
    }
    UserMessage shown = message;
    for (;;) {
        m_open.push_back({kind, 0, {}});
        try {
            draw(shown);
        } catch (...) {
            platform::trailCurrentException();
            // A box that cannot be drawn still ends its turn.
        }
        OpenBox ended = std::move(m_open.back());
        m_open.pop_back();
        if (ended.more == 0 || !goOn()) {
            return;
        }
        shown = std::move(ended.latest);
        shown.text += ended.more == 1 ? "\n\nThis happened once more while the message was open."
                                      : "\n\nThis happened " + std::to_string(ended.more) +
                                            " more times while the message was open.";
    }
}
