// The Qt host's desktop calls that must not hold up the GUI thread: tones on
// a thread of their own, the file manager answering to the event loop (a
// file manager of the test's own on a real session bus), and work posted
// to the loop.

#include "ui/qt/MainWindow.h"
#include "ui/qt/QtHost.h"
#include "ui/qt/TonePlayer.h"

#include "common/modKorvel.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QTest>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Stands in for the desktop's file manager: records what it is asked to
// show and answers only when told to.
class FakeFileManager : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList shown;
    QDBusMessage unanswered;

public slots:
    void ShowItems(const QStringList& uris, const QString& /*startupId*/) {
        shown += uris;
        setDelayedReply(true);
        unanswered = message();
    }
};

// Tones that last until the test ends them, each then saying whether it played.
class Tones {
public:
    bool play() {
        std::unique_lock lock(m_mutex);
        m_threads.push_back(std::this_thread::get_id());
        m_changed.wait(lock, [&] { return !m_endings.empty(); });
        const bool played = m_endings.front();
        m_endings.pop_front();
        return played;
    }
    void end(bool played) {
        const std::lock_guard lock(m_mutex);
        m_endings.push_back(played);
        m_changed.notify_all();
    }
    std::thread::id playedOn(std::size_t tone) {
        const std::lock_guard lock(m_mutex);
        return m_threads.at(tone);
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<bool> m_endings;
    std::vector<std::thread::id> m_threads;
};

struct RecordingHost : ui::QtHost {
    using QtHost::QtHost;
    void openFolder(const std::string& folder) noexcept override { folders.push_back(folder); }
    std::vector<std::string> folders;
};

} // namespace

class QtHostTest : public QObject {
    Q_OBJECT

private slots:
    void tonesPlayOneAtATimeBesideTheGuiThread() {
        auto tones = std::make_shared<Tones>();
        const std::weak_ptr<Tones> inUse = tones;
        int noSound = 0;
        QThread* noSoundThread = nullptr;
        auto player = std::make_unique<ui::TonePlayer>([tones](std::int32_t, std::int32_t) { return tones->play(); },
                                                       [&] {
                                                           ++noSound;
                                                           noSoundThread = QThread::currentThread();
                                                       });

        QVERIFY(player->start(880, 200)); // returns while the tone plays
        QVERIFY2(!player->start(440, 200), "a tone asked for while one plays is dropped");
        tones->end(false); // no sound device
        QTRY_COMPARE_WITH_TIMEOUT(noSound, 1, 60000);
        QCOMPARE(noSoundThread, QApplication::instance()->thread());
        QVERIFY(tones->playedOn(0) != std::this_thread::get_id());
        QVERIFY2(player->start(880, 200), "the tone has ended before its bell rang: the next one plays");

        // A player that goes while its tone plays hears nothing back.
        player.reset();
        tones->end(false);
        tones.reset();
        QTRY_VERIFY_WITH_TIMEOUT(inUse.expired(), 60000); // the tone's thread has ended
        QCoreApplication::processEvents();
        QCOMPARE(noSound, 1);
    }

    void theFileManagerAnswersToTheEventLoop() {
        // On a connection of its own, so that its calls go through the bus
        // and are answered from this thread's event loop.
        auto bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("file-manager"));
        if (!bus.isConnected()) {
            QSKIP("no session bus (the test runs under dbus-run-session where it is installed)");
        }
        FakeFileManager manager;
        QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager,
                                   QDBusConnection::ExportAllSlots));
        if (!bus.registerService(QStringLiteral("org.freedesktop.FileManager1"))) {
            QSKIP("another file manager owns the name on this bus");
        }
        ui::MainWindow window;
        RecordingHost host(window);
        const std::string first = "/srv/exports/current.csv";
        const std::string second = "/srv/exports/older.csv";

        // The call reaches the file manager while no answer has come: the
        // GUI thread is not waiting for one.
        host.showFileInFolder(first);
        QTRY_COMPARE_WITH_TIMEOUT(manager.shown.size(), 1, 60000);
        QCOMPARE(manager.shown.front(), QStringLiteral("file:///srv/exports/current.csv"));
        QVERIFY(host.folders.empty());
        // It refuses: the folder is opened instead.
        bus.send(manager.unanswered.createErrorReply(QDBusError::Failed, QStringLiteral("no window")));
        QTRY_COMPARE_WITH_TIMEOUT(host.folders.size(), std::size_t{1}, 60000);
        QCOMPARE(host.folders.front(), modKorvel::GetFolder(first));

        // It shows the file: nothing else is opened. A refusal after it
        // comes back later, and alone opens its folder.
        host.showFileInFolder(first);
        QTRY_COMPARE_WITH_TIMEOUT(manager.shown.size(), 2, 60000);
        bus.send(manager.unanswered.createReply());
        host.showFileInFolder(second);
        QTRY_COMPARE_WITH_TIMEOUT(manager.shown.size(), 3, 60000);
        bus.send(manager.unanswered.createErrorReply(QDBusError::Failed, QStringLiteral("no window")));
        QTRY_COMPARE_WITH_TIMEOUT(host.folders.size(), std::size_t{2}, 60000);
        QCOMPARE(host.folders.back(), modKorvel::GetFolder(second));

        bus.unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
        QDBusConnection::disconnectFromBus(QStringLiteral("file-manager"));
    }

    void postedWorkRunsFromTheLoopWhileTheHostLives() {
        ui::MainWindow window;
        auto host = std::make_unique<ui::QtHost>(window);
        int runs = 0;
        host->post([&] { ++runs; });
        QCOMPARE(runs, 0);
        QTRY_COMPARE_WITH_TIMEOUT(runs, 1, 60000);
        host->post([&] { ++runs; });
        host.reset();
        QCoreApplication::processEvents();
        QCOMPARE(runs, 1);
    }
};

QTEST_MAIN(QtHostTest)
#include "QtHost_test.moc"
