#pragma once
// The program's command line, read before anything needs a display. It has
// three options of its own, --help, --version and --verbose; Qt's own options (-platform,
// -style, a session manager's -session, ...) are left for Qt, and anything
// else is an error.

#include <string>

namespace ui {

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    std::string error; // for Error: what was wrong, in a sentence
    // -platform names the display plug-in, so that none need be in the environment.
    bool platformGiven = false;
    // --verbose: the trail of handled failures goes to standard error.
    bool verbose = false;
};

CommandLine readCommandLine(int argc, const char* const* argv);

// What --help and --version print.
std::string helpText();
std::string versionText();

} // namespace ui
