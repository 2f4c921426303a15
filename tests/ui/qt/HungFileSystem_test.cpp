// The main window watching a file on a file system that stops answering: the
// window's event loop keeps turning while the watch tick's probe hangs,
// nothing is recorded meanwhile, and once the file system answers again the
// change made while it hung is recorded. And a file system that renumbers
// its files all the time.

#include "ui/qt/MainWindow.h"
#include "ui/qt/QtHost.h"

#include "app/frmMain.h"
#include "support/posix/hungFileSystem.h"
#include "support/qtWait.h"
#include "support/tempDir.h"

#include <QTest>
#include <QTimer>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

namespace {

using namespace std::chrono_literals;

// The host with the app folder where the test says.
struct Host : ui::QtHost {
    Host(ui::MainWindow& window, std::string folder) : QtHost(window), m_folder(std::move(folder)) {}
    std::optional<std::string> appFolder() noexcept override { return m_folder; }
    std::string m_folder;
};

// The real window watching `watched` every 50 ms, with a fresh folder of its
// own, copying each change or not; it stops watching and unloads at the end.
struct Watching {
    Watching(const std::string& watched, bool copies) {
        app.write("Settings.ini", std::string("[Main]\r\nINTERVAL=50\r\nMONITOR=1\r\nCOPY=") + (copies ? "1" : "0") +
                                      "\r\nBALLOON=0\r\nFILENAME=" + watched + "\r\n");
        form.Form_Load();
    }
    ~Watching() {
        window.controls().chkMonitor.setValue(0);
        form.Form_Unload();
    }
    Watching(const Watching&) = delete;
    Watching& operator=(const Watching&) = delete;

    testsupport::TempDir app;
    ui::MainWindow window;
    Host host{window, app.path() + "/"};
    frmMain form{window.controls(), host};
};

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The whole copies in the app folder's Copies, not the one being written.
std::size_t copyCount(const testsupport::TempDir& app) {
    std::size_t count = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(app.fsPath() / "Copies", error)) {
        count += entry.path().filename().string().starts_with(".") ? 0 : 1;
    }
    return count;
}

} // namespace

class HungFileSystemTest : public QObject {
    Q_OBJECT

private slots:
    void theWindowKeepsTurningWhileTheWatchedFileHangs() {
        testsupport::HungFileSystem fs;
        if (fs.unavailable()) {
            QSKIP(qPrintable(QString::fromStdString(fs.whyNot())));
        }
        QVERIFY2(fs.mounted(), fs.whyNot().c_str());
        const auto watched = fs.writeBehind("watched.csv", "a,b\r\n");
        Watching watching(watched, false);
        const auto& app = watching.app;
        auto& list = watching.window.controls().lstLog;
        SENTREL_TRY_COMPARE(list.rowCount(), std::int64_t{1}, 10000);

        // What the GUI thread sees while the file system hangs: a timer of
        // its own that counts how often the event loop ran it, and the rows.
        std::atomic<int> beats{0};
        std::atomic<bool> releasing{false};
        std::int64_t mostRowsWhileHung = 0;
        QTimer beat;
        beat.setInterval(20);
        QObject::connect(&beat, &QTimer::timeout, [&] {
            ++beats;
            if (!releasing) {
                mostRowsWhileHung = std::max(mostRowsWhileHung, list.rowCount());
            }
        });

        // Another thread holds the file system blocked for 1.5 s once a probe
        // hangs on it, changes the file behind it meanwhile, and releases it,
        // whatever the GUI thread does.
        QVERIFY(fs.block());
        beat.start();
        std::atomic<bool> hung{false};
        std::atomic<bool> done{false};
        std::atomic<int> beatsWhileHung{0};
        std::atomic<int> waitingAtRelease{0};
        std::jthread operatorThread([&] {
            const auto deadline = std::chrono::steady_clock::now() + 5s;
            while (fs.waitingRequests() == 0 && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(5ms);
            }
            hung = fs.waitingRequests() > 0;
            const int beatsAtHang = beats;
            if (hung) {
                std::this_thread::sleep_for(750ms);
                fs.writeBehind("watched.csv", "a,b\r\nc,d\r\n");
                std::this_thread::sleep_for(750ms);
            }
            beatsWhileHung = beats - beatsAtHang;
            waitingAtRelease = fs.waitingRequests();
            releasing = true;
            fs.release();
            done = true;
        });
        SENTREL_TRY_VERIFY(done, 15000);
        QVERIFY2(hung, "no probe of the watched file reached the blocked file system");
        QVERIFY2(beatsWhileHung >= 20,
                 qPrintable(QStringLiteral("the event loop ran a 20 ms timer %1 times in 1.5 s of hanging")
                                .arg(beatsWhileHung.load())));
        QVERIFY2(waitingAtRelease >= 1, "the probe stopped waiting before the file system was released");
        QCOMPARE(mostRowsWhileHung, std::int64_t{1});

        // Watching goes on: the change made while it hung is recorded.
        SENTREL_TRY_COMPARE(list.rowCount(), std::int64_t{2}, 5000);
        QCOMPARE(list.subItem(2, ChangeColumn::State).value_or(""), std::string("Free"));
        QCOMPARE(list.subItem(2, ChangeColumn::SizeInBytes).value_or(""), std::string("10"));
        QCOMPARE(lineCount(testsupport::readFile(app.path("Log.csv"))), std::size_t{2});
    }

    // A file system that gives the file a new inode number at every look,
    // while its size and times stay, must not make a row or a copy per tick;
    // a real write through it is still recorded and copied.
    void aFileSystemThatRenumbersItsFilesRecordsOnlyRealChanges() {
        testsupport::HungFileSystem fs(testsupport::HungFileSystem::Inodes::NewOnEveryLook);
        if (fs.unavailable()) {
            QSKIP(qPrintable(QString::fromStdString(fs.whyNot())));
        }
        QVERIFY2(fs.mounted(), fs.whyNot().c_str());
        const auto watched = fs.writeBehind("watched.csv", "a,b\r\n");
        const auto inode = [&] {
            struct stat info {};
            return ::stat(watched.c_str(), &info) == 0 ? info.st_ino : 0;
        };
        const auto before = inode();
        if (before == inode()) {
            QSKIP("the kernel keeps this FUSE file system's inode numbers steady: nothing is renumbered");
        }
        Watching watching(watched, true);
        const auto& app = watching.app;
        auto& list = watching.window.controls().lstLog;
        SENTREL_TRY_COMPARE(list.rowCount(), std::int64_t{1}, 10000);
        SENTREL_TRY_COMPARE(copyCount(app), std::size_t{1}, 10000);

        // About 20 ticks, each of which a fault turns into a row, a log line
        // and a copy of five bytes.
        const auto lookedAt = inode();
        QTest::qWait(1000);
        QVERIFY2(inode() - lookedAt > 20, "the program did not look at the file while the test waited");
        QCOMPARE(list.rowCount(), std::int64_t{1});
        QCOMPARE(copyCount(app), std::size_t{1});

        {
            std::ofstream out(watched, std::ios::binary | std::ios::app);
            out << "c,d\r\n";
        }
        SENTREL_TRY_COMPARE(list.rowCount(), std::int64_t{2}, 5000);
        QCOMPARE(list.subItem(2, ChangeColumn::SizeInBytes).value_or(""), std::string("10"));
        SENTREL_TRY_COMPARE(copyCount(app), std::size_t{2}, 5000);
        QTest::qWait(250);
        QCOMPARE(list.rowCount(), std::int64_t{2});
        QCOMPARE(lineCount(testsupport::readFile(app.path("Log.csv"))), std::size_t{2});
    }
};

QTEST_MAIN(HungFileSystemTest)
#include "HungFileSystem_test.moc"
