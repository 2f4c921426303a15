// The Qt view: the controls of the main window as designed, their handlers
// run by values set from code, the change list, the tray on QSystemTrayIcon
// and the dialog filter.

#include "ui/qt/MainWindow.h"
#include "ui/qt/QtHost.h"
#include "ui/qt/QtTray.h"

#include "app/frmMain.h"
#include "support/tempDir.h"
#include "tray/notifyIconProtocol.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <filesystem>
#include <fstream>

// The next widget that the Tab key reaches.
static QWidget* nextTab(QWidget* widget) {
    for (QWidget* next = widget->nextInFocusChain(); next != widget; next = next->nextInFocusChain()) {
        if ((next->focusPolicy() & Qt::TabFocus) != 0) {
            return next;
        }
    }
    return widget;
}

class MainWindowViewTest : public QObject {
    Q_OBJECT

private slots:
    void controlsAreWhereAndWhatTheFormSays() {
        ui::MainWindow window;
        struct Expected {
            const char* name;
            const char* caption;
            int left, top, width, height;
        };
        // Buttons and check boxes alike: caption, place and size in twips.
        const Expected controls[] = {
            {"cmdMonitorOpen", "Open Monitored File", 120, 945, 2295, 320},
            {"cmdOpenFolder", "Open Folder of Monitored File", 120, 1305, 2295, 320},
            {"cmdMakeCopy", "Make Copy of Monitored File", 120, 1665, 2295, 320},
            {"cmdFolderCopiesOpen", "Open Copies Folder", 120, 2025, 2295, 320},
            {"cmdOpenLog", "Open Log File", 120, 2385, 2295, 320},
            {"cmdClearLogView", "Clear Log View", 120, 2745, 2295, 320},
            {"cmdFileOpen", "...", 10530, 6255, 375, 285},
            {"chkMonitor", "Monitor On/Off", 120, 3465, 2295, 320},
            {"chkMakeCopy", "Make Copy on Change", 135, 3825, 2295, 255},
            {"chkBalloonTip", "Balloon Tip on Change", 135, 4095, 2295, 255},
            {"chkNotify", "Set Focus on Change", 135, 4365, 2295, 255},
            {"chkBeep", "Beep on Change", 135, 4635, 1815, 255},
            {"chkFollowLog", "Follow Log", 135, 4905, 1815, 255},
        };
        for (const auto& c : controls) {
            auto* widget = qobject_cast<QAbstractButton*>(window.control(c.name));
            QVERIFY2(widget != nullptr, c.name);
            QCOMPARE(widget->text(), QString::fromLatin1(c.caption));
            QCOMPARE(widget->geometry(), QRect(c.left / 15, c.top / 15, c.width / 15, c.height / 15));
        }
        QVERIFY(qobject_cast<QCheckBox*>(window.control("chkMonitor")) != nullptr);
        QCOMPARE(window.size(), QSize(738, 452));
        QCOMPARE(qobject_cast<QLineEdit*>(window.control("txtInterval"))->text(), QStringLiteral("500"));
        QVERIFY(qobject_cast<QLineEdit*>(window.control("txtFileName"))->isReadOnly());

        // Tab order: the buttons, the monitor switch, the options, then the boxes.
        QCOMPARE(nextTab(window.control("cmdMonitorOpen")), window.control("cmdOpenFolder"));
        QCOMPARE(nextTab(window.control("cmdClearLogView")), window.control("chkMonitor"));
        QCOMPARE(nextTab(window.control("chkFollowLog")), window.control("txtInterval"));
        QCOMPARE(nextTab(window.control("txtInterval")), window.control("txtFileName"));
        QCOMPARE(nextTab(window.control("cmdFileOpen")), window.control("lstLog"));

        auto* list = window.logView();
        const char* headers[] = {"Time", "Status", "Size", "Size (Bytes)", "Date Modified"};
        const int widths[] = {147, 67, 87, 87, 147};
        for (int column = 0; column < 5; ++column) {
            QCOMPARE(list->model()->headerData(column, Qt::Horizontal).toString(),
                     QString::fromLatin1(headers[column]));
            QCOMPARE(list->columnWidth(column), widths[column]);
        }
    }

    void valuesSetFromCodeRunTheHandlersOnlyOnChange() {
        ui::MainWindow window;
        auto controls = window.controls();
        int clicks = 0;
        int changes = 0;
        controls.chkBeep.onClick = [&] { ++clicks; };
        controls.txtInterval.onChange = [&] { ++changes; };
        controls.chkBeep.setValue(1);
        controls.chkBeep.setValue(1);
        QCOMPARE(clicks, 1);
        controls.chkBeep.setValue(2);
        QCOMPARE(controls.chkBeep.value(), 2);
        QCOMPARE(clicks, 2);
        // A user's click on a greyed box ticks it; clicks never make it grey.
        qobject_cast<QCheckBox*>(window.control("chkBeep"))->click();
        QCOMPARE(controls.chkBeep.value(), 1);
        qobject_cast<QCheckBox*>(window.control("chkBeep"))->click();
        QCOMPARE(controls.chkBeep.value(), 0);
        controls.txtInterval.setText("500");
        QCOMPARE(changes, 0);
        controls.txtInterval.setText("250");
        QCOMPARE(changes, 1);
        QCOMPARE(controls.txtInterval.text(), std::string("250"));
    }

    void theChangeListKeepsRowsInOrder() {
        ui::MainWindow window;
        auto& list = window.controls().lstLog;
        QCOMPARE(list.rowCount(), std::int64_t{0});
        QVERIFY(!list.subItem(0, ChangeColumn::State).has_value());
        for (int i = 1; i <= 3; ++i) {
            std::string time = "t"; // built in steps: GCC 12 at -O3 warns falsely on "t" + string
            time += std::to_string(i);
            list.appendRow({time, i, {"Free", "1 kb", std::to_string(i), "d"}});
        }
        QCOMPARE(list.rowCount(), std::int64_t{3});
        QCOMPARE(*list.subItem(3, ChangeColumn::Time), std::string("t3"));
        QCOMPARE(*list.subItem(3, ChangeColumn::SizeInBytes), std::string("3"));
        QVERIFY(!list.subItem(4, ChangeColumn::Time).has_value());
        QVERIFY(!window.logModel()->data(window.logModel()->index(0, 0), Qt::DecorationRole).isNull());
        list.ensureVisible(3);
        list.clear();
        QCOMPARE(list.rowCount(), std::int64_t{0});
    }

    void trayClicksComeBackAsMouseMessages() {
        ui::QtTray tray([](std::uint64_t) { return QIcon(); });
        std::vector<std::int32_t> values;
        tray.create({[&](std::int32_t value) { values.push_back(value); }, {}, {}});
        platform::NotifyIconDataW record;
        record.uFlags = platform::notifyFlag::Tip | platform::notifyFlag::Icon;
        const char16_t tip[] = u"Sentrel v1.00";
        for (std::size_t i = 0; tip[i] != 0; ++i) {
            record.szTip[2 * i] = static_cast<std::uint8_t>(tip[i] & 0xff);
        }
        tray.notifyIcon(platform::NotifyMessage::Add, record);
        QVERIFY(tray.trayIcon() != nullptr);
        QCOMPARE(tray.trayIcon()->toolTip(), QStringLiteral("Sentrel v1.00"));

        tray.activate(QSystemTrayIcon::Trigger);
        tray.activate(QSystemTrayIcon::Context);
        tray.activate(QSystemTrayIcon::DoubleClick);
        QCOMPARE(values, (std::vector<std::int32_t>{tray::callback::LeftButtonUp, tray::callback::RightButtonDown,
                                                    tray::callback::RightButtonUp, tray::callback::LeftDoubleClick}));

        tray.notifyIcon(platform::NotifyMessage::Delete, record);
        QVERIFY(tray.trayIcon() == nullptr);
        tray.destroy();
        tray.activate(QSystemTrayIcon::Trigger);
        QCOMPARE(values.size(), std::size_t{4});
    }

    // A change copies a large file from inside a watch tick; the copier pumps
    // the event loop after every chunk, and the watch timer must keep ticking there.
    void watchTicksArriveDuringACopyStartedByATick() {
        testsupport::TempDir app;
        testsupport::TempDir data;
        const auto watched = data.path("big.csv");
        {
            std::ofstream big(std::filesystem::path(watched), std::ios::binary);
            const std::string block(1 << 20, 'x');
            for (int i = 0; i < 256; ++i) {
                big << block;
            }
        }
        app.write("Settings.ini",
                  "[Main]\r\nINTERVAL=20\r\nMONITOR=1\r\nCOPY=1\r\nBALLOON=0\r\nFILENAME=" + watched + "\r\n");
        struct Host : ui::QtHost {
            Host(ui::MainWindow& window, std::string folder) : QtHost(window), m_folder(std::move(folder)) {}
            std::optional<std::string> appFolder() noexcept override { return m_folder; }
            std::string m_folder;
        };
        ui::MainWindow window;
        Host host(window, app.path() + "/");
        frmMain form(window.controls(), host);
        form.Form_Load();
        auto& timer1 = window.controls().Timer1;
        const auto tick = timer1.onTick;
        int ticksDuringCopy = 0;
        bool copied = false;
        timer1.onTick = [&] {
            if (form.copyRunning()) {
                ++ticksDuringCopy;
            }
            tick();
            if (!form.copyRunning() && !std::filesystem::is_empty(app.fsPath() / "Copies")) {
                copied = true; // the outer tick has returned from its copy
            }
        };
        QTRY_VERIFY_WITH_TIMEOUT(copied, 60000);
        QVERIFY2(ticksDuringCopy >= 2, "the watch timer must tick while a tick's copy runs");
        QCOMPARE(window.logModel()->rows().size(), std::int64_t{1});
        window.controls().chkMonitor.setValue(0);
        form.Form_Unload();
    }

    void dialogFilterInQtsForm() {
        QCOMPARE(ui::QtHost::dialogFilter("All Files|*.*"), QStringLiteral("All Files (*)"));
        QCOMPARE(ui::QtHost::dialogFilter("Text|*.txt;*.csv|All Files|*.*"),
                 QStringLiteral("Text (*.txt *.csv);;All Files (*)"));
    }
};

QTEST_MAIN(MainWindowViewTest)
#include "MainWindow_test.moc"
