// The main window watching a file on a file system that stops answering: the
// window's event loop keeps turning while the watch tick's probe hangs,
// nothing is recorded meanwhile, and once the file system answers again the
// change made while it hung is recorded.

#include "ui/qt/MainWindow.h"
#include "ui/qt/QtHost.h"

#include "app/frmMain.h"
#include "support/posix/hungFileSystem.h"
#include "support/tempDir.h"

#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
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

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
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
        testsupport::TempDir app;
        const auto watched = fs.writeBehind("watched.csv", "a,b\r\n");
        app.write("Settings.ini",
                  "[Main]\r\nINTERVAL=50\r\nMONITOR=1\r\nCOPY=0\r\nBALLOON=0\r\nFILENAME=" + watched + "\r\n");
        ui::MainWindow window;
        Host host(window, app.path() + "/");
        frmMain form(window.controls(), host);
        auto& list = window.controls().lstLog;
        form.Form_Load();
        QTRY_COMPARE_WITH_TIMEOUT(list.rowCount(), std::int64_t{1}, 10000);

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
        QTRY_VERIFY_WITH_TIMEOUT(done, 15000);
        QVERIFY2(hung, "no probe of the watched file reached the blocked file system");
        QVERIFY2(beatsWhileHung >= 20,
                 qPrintable(QStringLiteral("the event loop ran a 20 ms timer %1 times in 1.5 s of hanging")
                                .arg(beatsWhileHung.load())));
        QVERIFY2(waitingAtRelease >= 1, "the probe stopped waiting before the file system was released");
        QCOMPARE(mostRowsWhileHung, std::int64_t{1});

        // Watching goes on: the change made while it hung is recorded.
        QTRY_COMPARE_WITH_TIMEOUT(list.rowCount(), std::int64_t{2}, 5000);
        QCOMPARE(list.subItem(2, ChangeColumn::State).value_or(""), std::string("Free"));
        QCOMPARE(list.subItem(2, ChangeColumn::SizeInBytes).value_or(""), std::string("10"));
        QCOMPARE(lineCount(testsupport::readFile(app.path("Log.csv"))), std::size_t{2});
        window.controls().chkMonitor.setValue(0);
        form.Form_Unload();
    }
};

QTEST_MAIN(HungFileSystemTest)
#include "HungFileSystem_test.moc"
