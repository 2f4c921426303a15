// The Qt view beside its contract (viewContract_qt_test.cpp): the main
// window laid out as its control table designs it, its keyboard and
// accessibility, the tray on QSystemTrayIcon, the watch timer ticking while a
// tick's copy runs, the list following its newest row, and the dialog filter.

#include "ui/qt/MainWindow.h"
#include "ui/qt/QtHost.h"
#include "ui/qt/QtText.h"
#include "ui/qt/QtTray.h"
#include "ui/qt/Twips.h"

#include "app/frmMain.h"
#include "app/modKorvelIni.h"
#include "platform/paths.h"
#include "support/qtWait.h"
#include "support/tempDir.h"
#include "tray/notifyIconProtocol.h"
#include "view/controlTable.h"

#include <QAccessible>
#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>

#include <algorithm>
#include <filesystem>
#include <fstream>

using ui::toQString;

// A control in one line, so that a mismatch names the control and shows what differs.
static QString describe(const QString& name, const QRect& place, const QString& text, const QFont& font) {
    return QStringLiteral("%1 at %2,%3 %4x%5 \"%6\" %7 pt%8")
        .arg(name)
        .arg(place.x())
        .arg(place.y())
        .arg(place.width())
        .arg(place.height())
        .arg(text)
        .arg(font.pointSizeF())
        .arg(font.bold() ? QStringLiteral(" bold") : QString());
}

static QString accessibleName(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible != nullptr ? accessible->text(QAccessible::Name) : QString();
}

class MainWindowViewTest : public QObject {
    Q_OBJECT

private slots:
    void controlsAreWhereAndWhatTheFormSays() {
        ui::MainWindow window;
        const auto& form = view::kMainWindow;
        QCOMPARE(window.size(), QSize(ui::twipsToPixels(form.clientWidth), ui::twipsToPixels(form.clientHeight)));

        for (const auto& design : view::kMainWindowControls) {
            if (!design.rect) {
                continue;
            }
            const auto& rect = *design.rect;
            QFont font;
            font.setPointSizeF(design.font.points);
            font.setBold(design.font.bold);
            const QRect place(ui::twipsToPixels(rect.left), ui::twipsToPixels(rect.top), ui::twipsToPixels(rect.width),
                              ui::twipsToPixels(rect.height));
            QWidget* widget = window.control(toQString(design.name).toLatin1().constData());
            QVERIFY2(widget != nullptr, design.name.data());
            // Buttons, check boxes, labels and text boxes all keep their text in the "text" property.
            QCOMPARE(
                describe(widget->objectName(), widget->geometry(), widget->property("text").toString(), widget->font()),
                describe(toQString(design.name), place, toQString(design.text), font));
            // Only the controls that take input are Tab stops.
            const bool input = design.kind != view::ControlKind::Label && design.kind != view::ControlKind::PictureBox;
            QCOMPARE((widget->focusPolicy() & Qt::TabFocus) != 0, input);
        }

        const auto columns = view::findControl("lstLog")->columns;
        QCOMPARE(window.logModel()->columnCount(), static_cast<int>(columns.size()));
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const int column = static_cast<int>(i);
            QCOMPARE(window.logModel()->headerData(column, Qt::Horizontal).toString(), toQString(columns[i].header));
            QCOMPARE(window.logView()->columnWidth(column), ui::twipsToPixels(columns[i].widthTwips));
        }
    }

    // The window opens with the focus on the first control of the tab order,
    // and the Tab key walks every control that takes input in that order,
    // each with a name that assistive technology can read out.
    void theKeyboardReachesEveryControlInTabOrderAndEachIsNamed() {
        ui::MainWindow window;
        std::vector<std::pair<int, QWidget*>> tabStops;
        for (const auto& design : view::kMainWindowControls) {
            if (!design.rect) {
                continue;
            }
            QWidget* widget = window.control(toQString(design.name).toLatin1().constData());
            QVERIFY2(!accessibleName(widget).isEmpty(), design.name.data());
            if ((widget->focusPolicy() & Qt::TabFocus) != 0) {
                tabStops.emplace_back(*design.tabIndex, widget);
            }
            if (design.kind == view::ControlKind::TextBox) {
                // Named after the label that points at it.
                const auto labels = QAccessible::queryAccessibleInterface(widget)->relations(QAccessible::Label);
                QCOMPARE(labels.size(), 1);
                QCOMPARE(labels.front().first->text(QAccessible::Name), accessibleName(widget));
            }
        }
        std::sort(tabStops.begin(), tabStops.end(), [](const auto& x, const auto& y) { return x.first < y.first; });

        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(QApplication::focusWidget(), tabStops.front().second);
        for (std::size_t i = 1; i <= tabStops.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), tabStops[i % tabStops.size()].second->objectName());
        }
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
        ui::MainWindow window;
        ui::QtHost host(window, platform::ProgramFolders{app.path(), app.path()});
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
        SENTREL_TRY_VERIFY(copied, 60000);
        QVERIFY2(ticksDuringCopy >= 2, "the watch timer must tick while a tick's copy runs");
        QCOMPARE(window.logModel()->rows().size(), std::int64_t{1});
        window.controls().chkMonitor.setValue(0);
        form.Form_Unload();
        QVERIFY(flushIniWrites(std::chrono::minutes(1))); // before the folder goes
    }

    // Follow Log asks on every tick; the list skips the asks that would not
    // move it, but never one after the user scrolled or the view changed size.
    void followingBringsTheNewestRowBackIntoView() {
        ui::MainWindow window;
        window.show();
        auto controls = window.controls();
        view::ListView& list = controls.lstLog;
        auto* view = window.logView();
        const auto newestInView = [&] {
            const QModelIndex newest = window.logModel()->index(static_cast<int>(list.rowCount() - 1), 0);
            return view->viewport()->rect().contains(view->visualRect(newest));
        };
        for (int row = 1; row <= 60; ++row) {
            list.appendRow(ChangeRow{});
            list.ensureVisible(row);
        }
        QVERIFY(newestInView());
        view->verticalScrollBar()->setValue(0);
        QVERIFY(!newestInView());
        list.ensureVisible(60);
        QVERIFY(newestInView());
        view->resize(view->width(), view->height() / 2);
        QTest::qWait(0);
        list.ensureVisible(60);
        QVERIFY(newestInView());
    }

    void dialogFilterInQtsForm() {
        QCOMPARE(ui::QtHost::dialogFilter("All Files|*.*"), QStringLiteral("All Files (*)"));
        QCOMPARE(ui::QtHost::dialogFilter("Text|*.txt;*.csv|All Files|*.*"),
                 QStringLiteral("Text (*.txt *.csv);;All Files (*)"));
    }
};

QTEST_MAIN(MainWindowViewTest)
#include "MainWindow_test.moc"
