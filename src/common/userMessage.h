#pragma once
// The seam through which core routines show a message box. Each front end
// installs the sink that draws the real box; tests install a recorder. Until
// a sink is installed, messages go to standard error.

#include <functional>
#include <string>
#include <vector>

enum class MessageIcon { Critical, Warning, Information };

struct UserMessage {
    std::string text;
    std::string title;
    MessageIcon icon = MessageIcon::Critical;
};

using UserMessageSink = std::function<void(const UserMessage&)>;

// Installs `sink` (an empty function restores the default) and returns the one it replaces.
UserMessageSink setUserMessageSink(UserMessageSink sink);

// Shows `text` with the critical icon, an OK button and the application's title.
// Never throws; returns when the user has dismissed the box.
void showErrorMessage(const std::string& text);

// Keeps a burst of failures from stacking up boxes: while a box is open, a
// message of the same kind (the text before its first ": ") only counts.
// When the box is dismissed with more of its kind counted, one box follows
// with the latest of them and how many there were; a message of another kind
// still gets a box of its own. Used on the one thread that shows boxes.
class OneBoxPerKind {
public:
    using Draw = std::function<void(const UserMessage&)>;
    // Shows `message` through `draw`, which returns when the box is dismissed,
    // unless a box of its kind is open. `goOn` says whether a follow-up box
    // may still be shown (not once the program is closing).
    void show(const UserMessage& message, const Draw& draw, const std::function<bool()>& goOn);

private:
    struct OpenBox {
        std::string kind;
        int more = 0;
        UserMessage latest;
    };
    std::vector<OpenBox> m_open; // innermost last
};
