#pragma once
// What the main window needs from its front end and the desktop beyond its
// controls, in a few services: the shell and its dialogs, the tone, the clock
// and the folders of the program's files; and, of the window's own, the tray,
// the window's icons and the message loop. Each front end implements them
// once; tests record what is asked of them.
//
// Every call but createSysTray is noexcept: a desktop effect that fails is
// the desktop's to report (or is reported through showMessage by the
// routine that failed), never the window's.

#include "common/appFolders.h"
#include "common/clock.h"
#include "common/continueOnError.h"
#include "common/messageLoop.h"
#include "common/userMessage.h"
#include "tray/frmSysTray.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// The desktop's dialogs and default programs.
class Shell {
public:
    virtual ~Shell() = default;
    // The open-file dialog; nullopt when the user cancelled it.
    virtual std::optional<std::string> chooseFile(const std::string& title, const std::string& filter) noexcept = 0;
    // `file` opened with its default program, `folder` its working folder;
    // returns without waiting for that program.
    virtual void openDocument(const std::string& file, const std::string& folder) noexcept = 0;
    // The file manager showing `path` selected, and the file manager on `folder`.
    virtual void showFileInFolder(const std::string& path) noexcept = 0;
    virtual void openFolder(const std::string& folder) noexcept = 0;
    // `text` on the clipboard, for pasting elsewhere.
    virtual void copyToClipboard(const std::string& text) noexcept = 0;
    // A message box; returns when the user has dismissed it.
    virtual void showMessage(const UserMessage& message) noexcept = 0;
};

class Sound {
public:
    virtual ~Sound() = default;
    // A tone; returns when it has ended.
    virtual void beep(std::int32_t frequency, std::int32_t milliseconds) noexcept = 0;
};

class frmMainHost : public MessageLoop {
public:
    virtual ~frmMainHost() = default;

    virtual Shell& shell() noexcept = 0;
    virtual Sound& sound() noexcept = 0;
    // The clock and date formats the window reads; the platform's own unless replaced.
    virtual const Clock& clock() const noexcept { return platformClock(); }
    // Where the window keeps its files; the executable's folder unless replaced.
    virtual AppFolders& folders() noexcept { return executableFolders(); }

    // A new tray component for the window (its shell and hidden window belong
    // to the front end). Throws when the hidden window cannot be made.
    virtual std::unique_ptr<frmSysTray> createSysTray() = 0;
    // The icon handle of picture `image` (1 to 5) of the state image list.
    virtual std::uint64_t stateIcon(int image) noexcept = 0;
    // The icon handle of the window's own small icon.
    virtual std::uint64_t windowIcon() noexcept = 0;
    // Gives the window its large and small icons.
    virtual void setWindowIcons() noexcept = 0;

    // One pass over the pending messages, without waiting: timer ticks and
    // input run inside it. (Waiting for messages: MessageLoop.)
    virtual void pumpMessages() noexcept = 0;
    // The program may end now (the window has unloaded and no copy is running).
    virtual void quit() noexcept = 0;
    // Asks every nested message loop of the front end's own (a popup menu, a
    // modal dialog, a message box) to end, and returns without waiting for
    // them. A front end without any has nothing to do.
    virtual void endNestedLoops() noexcept {}
    // Runs `work` from the message loop, after the message being handled now
    // has returned. Without a queue of its own, a front end runs it at once.
    virtual void post(std::function<void()> work) noexcept { continueOnError(work); }
};
