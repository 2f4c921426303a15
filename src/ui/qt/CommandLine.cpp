#include "ui/qt/CommandLine.h"

#include "common/version.h"

#include <string_view>

namespace ui {

namespace {

// Qt's own options, which QApplication takes out of the command line itself;
// Qt also accepts them with two dashes. Those of the first list take a value,
// as the next argument or after "=".
constexpr std::string_view kQtOptionsWithValue[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
    "style",       "stylesheet",         "qmljsdebugger"};
constexpr std::string_view kQtFlags[] = {"reverse", "widgetcount"};

template <std::size_t N>
bool contains(const std::string_view (&names)[N], std::string_view name) {
    for (const auto known : names) {
        if (known == name) {
            return true;
        }
    }
    return false;
}

} // namespace

CommandLine readCommandLine(int argc, const char* const* argv) {
    CommandLine result;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            result.action = CommandLine::Action::Help;
            return result;
        }
        if (argument == "--version") {
            result.action = CommandLine::Action::Version;
            return result;
        }
        if (argument == "--verbose") {
            result.verbose = true;
            continue;
        }
        std::string_view name = argument;
        if (name.starts_with("--")) {
            name.remove_prefix(2);
        } else if (name.starts_with('-')) {
            name.remove_prefix(1);
        } else {
            result.action = CommandLine::Action::Error;
            result.error = "unexpected argument '" + std::string(argument) + "'";
            return result;
        }
        const auto equals = name.find('=');
        const bool valueAttached = equals != std::string_view::npos;
        name = name.substr(0, equals);
        if (contains(kQtOptionsWithValue, name) && (valueAttached || i + 1 < argc)) {
            result.platformGiven = result.platformGiven || (name == "platform" && !valueAttached);
            i += valueAttached ? 0 : 1;
        } else if (!contains(kQtFlags, name) || valueAttached) {
            result.action = CommandLine::Action::Error;
            result.error = "unknown option '" + std::string(argument) + "'";
            return result;
        }
    }
    return result;
}

std::string helpText() {
    return "Usage: sentrel [--help | --version | --verbose]\n"
           "Watches one file and reports every change to it.\n"
           "\n"
           "  -h, --help  show this help and exit\n"
           "  --version   show the version and exit\n"
           "  --verbose   write the failures the program handles quietly to standard error\n"
           "\n"
           "Qt's own options (-platform, -style, ...) are passed on to Qt.\n"
           "\n"
           "Run from a folder you can write, Sentrel keeps Settings.ini, Log.csv,\n"
           "LogTemp.csv and Copies beside its executable. Installed (in /usr, /opt,\n"
           "~/.local, ..., or in a folder you cannot write), it keeps Settings.ini in\n"
           "$XDG_CONFIG_HOME/sentrel (~/.config/sentrel) and the others in\n"
           "$XDG_DATA_HOME/sentrel (~/.local/share/sentrel). A second start that\n"
           "would use the same folders brings the running window forward.\n";
}

std::string versionText() {
    return std::string(kAppTitle) + " " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
           std::to_string(kVersionRevision) + "\n";
}

} // namespace ui
