#pragma once
// The seam through which core routines show a message box. Each front end
// installs the sink that draws the real box; tests install a recorder. Until
// a sink is installed, messages go to standard error.

#include <functional>
#include <string>

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
