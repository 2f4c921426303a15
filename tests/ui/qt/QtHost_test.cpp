// The Qt host's desktop calls that must not hold up the GUI thread: tones on
// a thread of their own, the file manager and the notification service
// answering to the event loop (services of the test's own on a real session
// bus), and work posted to the loop.

#include "ui/qt/DesktopNotifications.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/Pictures.h"
#include "ui/qt/QtHost.h"

#include "app/frmMain.h"
#include "app/modKorvelIni.h"
#include "common/modKorvel.h"
#include "common/tonePlayer.h"
#include "support/qtWait.h"
#include "support/tempDir.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QImage>
#include <QTest>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
const QString kNotificationsPath = QStringLiteral("/org/freedesktop/Notifications");

// Stands in for the desktop's notification service: takes markup, records
// every notification and replaces by id, as the desktop's own does; or
// answers the method named by `refuses` with an error.
class FakeNotificationService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Shown {
        uint replaces = 0;
        QString title;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int timeout = 0;
    };
    std::vector<Shown> shown;
    std::vector<uint> closed;
    QString refuses;

public slots:
    QStringList GetCapabilities() {
        refuseIf(QStringLiteral("GetCapabilities"));
        return {QStringLiteral("actions"), QStringLiteral("body-markup")};
    }
    uint Notify(const QString& /*appName*/, uint replaces, const QString& /*appIcon*/, const QString& title,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int timeout) {
        refuseIf(QStringLiteral("Notify"));
        shown.push_back({replaces, title, body, actions, hints, timeout});
        return replaces != 0 ? replaces : static_cast<uint>(40 + shown.size());
    }
    void CloseNotification(uint id) { closed.push_back(id); }

private:
    void refuseIf(const QString& method) {
        if (method == refuses) {
            sendErrorReply(QDBusError::Failed, QStringLiteral("not now"));
        }
    }
};

// Puts `service` on `bus` under the notification service's name; empty, or
// why it cannot be had here.
QString offer(QDBusConnection& bus, FakeNotificationService& service) {
    if (!bus.isConnected()) {
        return QStringLiteral("no session bus (the test runs under dbus-run-session where it is installed)");
    }
    if (!bus.registerObject(kNotificationsPath, &service, QDBusConnection::ExportAllSlots) ||
        !bus.registerService(kNotifications)) {
        return QStringLiteral("another notification service owns the name on this bus");
    }
    return {};
}

// The picture an "image-data" hint carries.
QImage hintedImage(const QVariantMap& hints) {
    const auto argument = hints.value(QStringLiteral("image-data")).value<QDBusArgument>();
    int width = 0;
    int height = 0;
    int stride = 0;
    bool alpha = false;
    int bits = 0;
    int channels = 0;
    QByteArray data;
    argument.beginStructure();
    argument >> width >> height >> stride >> alpha >> bits >> channels >> data;
    argument.endStructure();
    if (!alpha || bits != 8 || channels != 4 || data.size() < stride * height) {
        return {};
    }
    return QImage(reinterpret_cast<const uchar*>(data.constData()), width, height, stride, QImage::Format_RGBA8888)
        .copy();
}

// The program watching one file with "Balloon Tip on Change" ticked, its
// window and host on the Qt front end, its files in folders of its own.
class WatchingProgram {
public:
    explicit WatchingProgram(const std::string& fileName)
        : watched(data.write(fileName, "first")), host(window, app.path() + "/") {
        app.write("Settings.ini", "[Main]\r\nINTERVAL=20\r\nMONITOR=1\r\nBALLOON=1\r\nFILENAME=" + watched + "\r\n");
        form = std::make_unique<frmMain>(window.controls(), host);
        form->Form_Load();
    }
    ~WatchingProgram() {
        form->Form_Unload();
        flushIniWrites(std::chrono::minutes(1)); // before the folder goes
    }
    std::int64_t rows() { return window.logModel()->rows().size(); }

    struct Host : ui::QtHost {
        Host(ui::MainWindow& window, std::string folder) : QtHost(window), m_folder(std::move(folder)) {}
        std::optional<std::string> appFolder() noexcept override { return m_folder; }
        void showMessage(const UserMessage& /*message*/) noexcept override { ++messages; }
        std::string m_folder;
        int messages = 0;
    };

    testsupport::TempDir app;
    testsupport::TempDir data;
    const std::string watched;
    ui::MainWindow window;
    Host host;
    std::unique_ptr<frmMain> form;
};

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
        const auto loop = std::make_shared<Waker>([] {},
                                                  [](std::function<void()> work) {
                                                      QMetaObject::invokeMethod(QApplication::instance(),
                                                                                std::move(work), Qt::QueuedConnection);
                                                  });
        auto player = std::make_unique<TonePlayer>([tones](std::int32_t, std::int32_t) { return tones->play(); },
                                                   [&] {
                                                       ++noSound;
                                                       noSoundThread = QThread::currentThread();
                                                   },
                                                   loop);

        QVERIFY(player->start(880, 200)); // returns while the tone plays
        QVERIFY2(!player->start(440, 200), "a tone asked for while one plays is dropped");
        tones->end(false); // no sound device
        SENTREL_TRY_COMPARE(noSound, 1, 60000);
        QCOMPARE(noSoundThread, QApplication::instance()->thread());
        QVERIFY(tones->playedOn(0) != std::this_thread::get_id());
        QVERIFY2(player->start(880, 200), "the tone has ended before its bell rang: the next one plays");

        // A player that goes while its tone plays hears nothing back.
        player.reset();
        tones->end(false);
        tones.reset();
        SENTREL_TRY_VERIFY(inUse.expired(), 60000); // the tone's thread has ended
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
        SENTREL_TRY_COMPARE(manager.shown.size(), 1, 60000);
        QCOMPARE(manager.shown.front(), QStringLiteral("file:///srv/exports/current.csv"));
        QVERIFY(host.folders.empty());
        // It refuses: the folder is opened instead.
        bus.send(manager.unanswered.createErrorReply(QDBusError::Failed, QStringLiteral("no window")));
        SENTREL_TRY_COMPARE(host.folders.size(), std::size_t{1}, 60000);
        QCOMPARE(host.folders.front(), modKorvel::GetFolder(first));

        // It shows the file: nothing else is opened. A refusal after it
        // comes back later, and alone opens its folder.
        host.showFileInFolder(first);
        SENTREL_TRY_COMPARE(manager.shown.size(), 2, 60000);
        bus.send(manager.unanswered.createReply());
        host.showFileInFolder(second);
        SENTREL_TRY_COMPARE(manager.shown.size(), 3, 60000);
        bus.send(manager.unanswered.createErrorReply(QDBusError::Failed, QStringLiteral("no window")));
        SENTREL_TRY_COMPARE(host.folders.size(), std::size_t{2}, 60000);
        QCOMPARE(host.folders.back(), modKorvel::GetFolder(second));

        bus.unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
        QDBusConnection::disconnectFromBus(QStringLiteral("file-manager"));
    }

    // Under a desktop without a tray, the change's balloon is the desktop's
    // notification; the next one replaces it, and clicking it brings the
    // window back.
    void balloonsAreTheDesktopsNotifications() {
        auto bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("notifications"));
        FakeNotificationService service;
        if (const auto whyNot = offer(bus, service); !whyNot.isEmpty()) {
            QSKIP(qPrintable(whyNot));
        }
        {
            WatchingProgram program("R&D.csv");
            const auto bodyOfRow = [&](std::int64_t row) {
                const auto& list = program.window.controls().lstLog;
                return QStringLiteral("File: R&amp;D.csv\nState: %1\nSize: %2\nDate Modified: %3")
                    .arg(QString::fromStdString(*list.subItem(row, ChangeColumn::State)),
                         QString::fromStdString(*list.subItem(row, ChangeColumn::SizeText)),
                         QString::fromStdString(*list.subItem(row, ChangeColumn::DateModified)));
            };
            SENTREL_TRY_COMPARE(service.shown.size(), std::size_t{1}, 60000);
            const auto first = service.shown.front();
            QCOMPARE(first.title, QStringLiteral("File Changed"));
            QCOMPARE(first.body, bodyOfRow(1));
            QCOMPARE(first.replaces, 0u);
            QCOMPARE(first.timeout, ui::QtTray::kMinimumBalloonMs);
            QVERIFY(first.actions.contains(QStringLiteral("default")));
            const auto pictures = ui::pictures::stateIcons();
            const QImage free = hintedImage(first.hints);
            QVERIFY(!free.isNull());
            QCOMPARE(free, QIcon(pictures[0]).pixmap(free.size()).toImage().convertToFormat(free.format()));

            std::filesystem::remove(testsupport::nativePath(program.watched));
            SENTREL_TRY_COMPARE(service.shown.size(), std::size_t{2}, 60000);
            const auto second = service.shown.back();
            QCOMPARE(second.title, QStringLiteral("File Removed"));
            QCOMPARE(second.body,
                     QStringLiteral("File: R&amp;D.csv\nState: No File\nSize: Unknown\nDate Modified: Unknown"));
            QCOMPARE(second.replaces, 41u);
            const QImage noFile = hintedImage(second.hints);
            QCOMPARE(noFile, QIcon(pictures[3]).pixmap(noFile.size()).toImage().convertToFormat(noFile.format()));

            // Put away as the tray would, then the notification is clicked.
            program.window.show();
            program.window.setState(view::WindowState::Minimized);
            program.window.hide();
            QDBusMessage click =
                QDBusMessage::createSignal(kNotificationsPath, kNotifications, QStringLiteral("ActionInvoked"));
            click << 41u << QStringLiteral("default");
            bus.send(click);
            SENTREL_TRY_VERIFY(program.window.isVisible(), 60000);
            QCOMPARE(program.window.state(), view::WindowState::Normal);
            QCOMPARE(program.host.messages, 0);
        }
        // The window's unload takes its notification away.
        SENTREL_TRY_COMPARE(service.closed, std::vector<uint>{41u}, 60000);
        bus.unregisterService(kNotifications);
        QDBusConnection::disconnectFromBus(QStringLiteral("notifications"));
    }

    // Without a notification service a balloon goes to the tray's own
    // balloon, and where there is no tray either, nowhere: no error, and the
    // watch goes on.
    void withoutANotificationServiceBalloonsFallBackQuietly() {
        auto bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            QSKIP("no session bus (the test runs under dbus-run-session where it is installed)");
        }
        if (bus.interface()->isServiceRegistered(kNotifications) ||
            bus.interface()->activatableServiceNames().value().contains(kNotifications)) {
            QSKIP("this bus has a notification service");
        }
        std::vector<QString> fallenBack;
        ui::DesktopNotifications notifications([&](const ui::Balloon& balloon) { fallenBack.push_back(balloon.title); },
                                               [] {});
        notifications.show({QStringLiteral("File Changed"), QStringLiteral("File: a.csv"), QIcon(),
                            QSystemTrayIcon::Information, 4000});
        QVERIFY(fallenBack.empty()); // the bus answers to the event loop
        SENTREL_TRY_COMPARE(fallenBack, std::vector<QString>{QStringLiteral("File Changed")}, 60000);

        WatchingProgram program("current.csv");
        SENTREL_TRY_COMPARE(program.rows(), std::int64_t{1}, 60000);
        std::filesystem::remove(testsupport::nativePath(program.watched));
        SENTREL_TRY_COMPARE(program.rows(), std::int64_t{2}, 60000);
        QCOMPARE(program.host.messages, 0);
    }

    // A service that answers with an error, to its first question or to the
    // balloon itself, leaves the balloon to the tray's own.
    void aServiceThatAnswersWithAnErrorLeavesTheBalloonToTheTray() {
        auto bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("refusing"));
        FakeNotificationService service;
        if (const auto whyNot = offer(bus, service); !whyNot.isEmpty()) {
            QSKIP(qPrintable(whyNot));
        }
        for (const auto& method : {QStringLiteral("GetCapabilities"), QStringLiteral("Notify")}) {
            service.refuses = method;
            std::vector<QString> fallenBack;
            ui::DesktopNotifications notifications(
                [&](const ui::Balloon& balloon) { fallenBack.push_back(balloon.title); }, [] {});
            notifications.show({QStringLiteral("File Changed"), QStringLiteral("File: a.csv"), QIcon(),
                                QSystemTrayIcon::Information, 4000});
            SENTREL_TRY_COMPARE(fallenBack, std::vector<QString>{QStringLiteral("File Changed")}, 20000);
        }
        bus.unregisterService(kNotifications);
        QDBusConnection::disconnectFromBus(QStringLiteral("refusing"));
    }

    void postedWorkRunsFromTheLoopWhileTheHostLives() {
        ui::MainWindow window;
        auto host = std::make_unique<ui::QtHost>(window);
        int runs = 0;
        host->post([&] { ++runs; });
        QCOMPARE(runs, 0);
        SENTREL_TRY_COMPARE(runs, 1, 60000);
        host->post([&] { ++runs; });
        host.reset();
        QCoreApplication::processEvents();
        QCOMPARE(runs, 1);
    }
};

QTEST_MAIN(QtHostTest)
#include "QtHost_test.moc"
