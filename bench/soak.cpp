// A long run of the real window (Qt, offscreen) against a real file that
// changes again and again in every way a writer changes a file: appended to,
// rewritten in place with the same size, replaced by a new file renamed over
// it, and opened and closed by another process. Each change is waited for
// before the next one is made, so every change must give exactly one row and
// one log line. Copies are on for the first part of the run; every copy must
// hold one of the versions the file really had.
//   sentrel_soak [changes] [interval ms]     (100000 and 10 unless given)
// Prints changes made, rows, log lines, torn lines, copies and whether each
// is a real version, memory and CPU time per change. Exits 1 when anything
// was lost or torn.

#include "processUsage.h"

#include "app/frmMain.h"
#include "app/modKorvelIni.h"
#include "ui/qt/LogListModel.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/QtHost.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class SoakHost : public ui::QtHost {
public:
    SoakHost(ui::MainWindow& window, std::string folder) : QtHost(window), m_folder(std::move(folder)) {}
    std::optional<std::string> appFolder() noexcept override { return m_folder; }
    // No sound and no boxes in a run nobody watches: a box would stop it.
    void beep(std::int32_t, std::int32_t) noexcept override {}
    void showMessage(const UserMessage& message) noexcept override {
        std::fprintf(stderr, "message: %s\n", message.text.c_str());
    }

private:
    std::string m_folder;
};

// Another process that opens the watched file and closes it again on request.
class Holder {
public:
    explicit Holder(const std::string& path) {
        int toChild[2];
        int fromChild[2];
        if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0) {
            std::perror("pipe");
            std::exit(2);
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(toChild[1]);
            ::close(fromChild[0]);
            int fd = -1;
            char command = 0;
            while (::read(toChild[0], &command, 1) == 1) {
                if (command == 'o') {
                    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
                } else if (fd >= 0) {
                    ::close(fd);
                    fd = -1;
                }
                if (::write(fromChild[1], &command, 1) != 1) {
                    break;
                }
            }
            ::_exit(0);
        }
        ::close(toChild[0]);
        ::close(fromChild[1]);
        m_to = toChild[1];
        m_from = fromChild[0];
    }
    ~Holder() {
        ::close(m_to);
        ::close(m_from);
        ::waitpid(m_pid, nullptr, 0);
    }
    void ask(char command) {
        char answer = 0;
        if (::write(m_to, &command, 1) != 1 || ::read(m_from, &answer, 1) != 1) {
            std::fprintf(stderr, "the holding process stopped\n");
            std::exit(2);
        }
    }

private:
    pid_t m_pid = -1;
    int m_to = -1;
    int m_from = -1;
};

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeAll(const fs::path& path, const std::string& bytes, std::ios::openmode mode = std::ios::trunc) {
    std::ofstream(path, std::ios::binary | mode) << bytes;
}

// A version of the file's content: small, so that copies stay small.
std::string version(long change, std::size_t size) {
    std::string text = "version " + std::to_string(change) + " ";
    text.resize(std::max(size, text.size()), '.');
    return text + "\r\n";
}

} // namespace

int main(int argc, char** argv) {
    const long changes = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 100000;
    const int interval = argc > 2 ? static_cast<int>(std::strtol(argv[2], nullptr, 10)) : 10;
    const long copiesUntil = std::min(changes / 10, 5000L); // copies on for the first part only
    const fs::path folder = fs::temp_directory_path() / ("sentrel-soak-" + std::to_string(::getpid()));
    fs::create_directories(folder / "data");
    const fs::path watched = folder / "data" / "current.csv";
    std::set<std::string> versions;
    std::string content = version(0, 40);
    writeAll(watched, content);
    versions.insert(content);
    writeAll(folder / "Settings.ini", "[Main]\r\nMONITOR=0\r\nCOPY=0\r\nBALLOON=0\r\nNOTIFY=0\r\nBEEP=0\r\nINTERVAL=" +
                                          std::to_string(interval) + "\r\nFILENAME=" + watched.string() + "\r\n");
    Holder holder(watched.string()); // forked before any thread starts

    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    ui::MainWindow window;
    SoakHost host(window, folder.string() + "/");
    frmMain form(window.controls(), host);
    form.Form_Load();
    auto controls = window.controls();
    auto& c = controls;
    long rows = 0;
    QObject::connect(window.logModel(), &QAbstractItemModel::rowsInserted, window.logModel(),
                     [&](const QModelIndex&, int first, int last) { rows += last - first + 1; });
    // Waits on the event loop, woken by the new row itself: no polling of
    // our own that would be counted as the program's CPU time. A row comes
    // within a few intervals; one that has not come in 5 s is missed, and
    // the run has failed. Later changes are then given a short while only, so
    // that a program that misses every change still ends its run, and says
    // what it saw, well within its test's time.
    long missed = 0;
    const auto waitForRows = [&](long wanted) {
        if (rows >= wanted) {
            return true;
        }
        QEventLoop loop;
        const auto woken = QObject::connect(window.logModel(), &QAbstractItemModel::rowsInserted, &loop, [&] {
            if (rows >= wanted) {
                loop.quit();
            }
        });
        QTimer::singleShot(missed == 0 ? 5000 : std::max(100, 10 * interval), &loop, &QEventLoop::quit);
        loop.exec();
        QObject::disconnect(woken);
        return rows >= wanted;
    };
    c.chkMakeCopy.setValue(1);
    c.chkMonitor.setValue(1);
    waitForRows(1); // the first look at the file
    const long startRows = rows;
    const long residentAtStart = statusKilobytes("VmRSS:");
    const auto rowBytesAtStart = window.logModel()->rows().memoryUsed();
    const double cpuAtStart = cpuSeconds();
    QElapsedTimer clock;
    clock.start();

    for (long change = 1; change <= changes; ++change) {
        if (change == copiesUntil + 1) {
            c.chkMakeCopy.setValue(0);
        }
        switch (change % 5) {
        case 0: // appended to
            content += version(change, 10);
            writeAll(watched, version(change, 10), std::ios::app);
            break;
        case 1: // rewritten in place, same size
            content = version(change, content.size() - 2);
            {
                std::fstream file(watched, std::ios::binary | std::ios::in | std::ios::out);
                file << content;
            }
            break;
        case 2: { // a new file renamed over it
            content = version(change, 20 + static_cast<std::size_t>(change % 60));
            const fs::path fresh = folder / "data" / "current.csv.new";
            writeAll(fresh, content);
            fs::rename(fresh, watched);
            break;
        }
        case 3:
            holder.ask('o');
            break;
        case 4:
            holder.ask('c');
            break;
        }
        if (change <= copiesUntil) {
            versions.insert(content); // only what a copy may hold: the soak's own memory stays flat
        }
        if (!waitForRows(startRows + change - missed)) {
            ++missed;
        }
        if (change % 10000 == 0) {
            std::printf("  %ld changes, %ld rows, %.0f s\n", change, rows, clock.elapsed() / 1000.0);
            std::fflush(stdout);
        }
    }
    const double cpu = cpuSeconds() - cpuAtStart;
    const double seconds = clock.elapsed() / 1000.0;
    const long residentAtEnd = statusKilobytes("VmRSS:");
    const long peak = statusKilobytes("VmHWM:");
    const auto rowBytes = window.logModel()->rows().memoryUsed() - rowBytesAtStart;
    c.chkMonitor.setValue(0);
    QTimer::singleShot(0, &application, [&form] { form.Form_Unload(); });
    QApplication::exec(); // until the unload has ended the loop
    flushIniWrites(std::chrono::seconds(10));

    // The log: every line whole, five fields, CR LF.
    const std::string log = readAll(folder / "Log.csv");
    long lines = 0;
    long torn = 0;
    for (std::size_t start = 0; start < log.size();) {
        const auto end = log.find("\r\n", start);
        const std::string line = log.substr(start, end == std::string::npos ? std::string::npos : end - start);
        ++lines;
        torn += end == std::string::npos || std::count(line.begin(), line.end(), ',') != 4 ||
                line.find('\n') != std::string::npos;
        start = end == std::string::npos ? log.size() : end + 2;
    }
    long copies = 0;
    long realCopies = 0;
    for (const auto& entry : fs::directory_iterator(folder / "Copies")) {
        ++copies;
        realCopies += versions.count(readAll(entry.path())) > 0 ? 1 : 0;
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);

    const long made = changes + startRows;
    std::printf("Soak: %ld changes made (1 first look + %ld) in %.0f s at a %d ms interval\n", made, changes, seconds,
                interval);
    std::printf("  rows %ld, log lines %ld, torn lines %ld, lost %ld\n", rows, lines, torn, made - lines);
    std::printf("  copies %ld (made while copies were on, the first %ld changes), real versions %ld, not real %ld\n",
                copies, copiesUntil, realCopies, copies - realCopies);
    std::printf("  memory: resident %.1f MiB at start, %.1f MiB at end, peak %.1f MiB; the rows' own store +%.1f MiB "
                "(%.0f bytes per row); growth beyond the rows %.1f MiB\n",
                residentAtStart / 1024.0, residentAtEnd / 1024.0, peak / 1024.0, rowBytes / 1048576.0,
                static_cast<double>(rowBytes) / std::max(1L, rows - startRows),
                (residentAtEnd - residentAtStart) / 1024.0 - rowBytes / 1048576.0);
    std::printf("  CPU %.1f s, %.0f us per change (the whole process, writer included)\n", cpu, cpu * 1e6 / changes);
    return rows == made && lines == made && torn == 0 && realCopies == copies ? 0 : 1;
}
