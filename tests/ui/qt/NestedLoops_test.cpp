// Ending the program while one of the window's nested loops runs (the tray
// menu, the file dialog, a message box), through the end signals as the
// session would: the loop is ended, and the window unloads only once the loop
// has returned to whatever opened it, which may still use the tray.

#include "ui/qt/EndSignals.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/QtHost.h"

#include "app/frmMain.h"
#include "app/modKorvelIni.h"
#include "common/userMessage.h"
#include "support/qtWait.h"
#include "support/tempDir.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <functional>

namespace {

struct Host : ui::QtHost {
    Host(ui::MainWindow& window, std::string folder) : QtHost(window), m_folder(std::move(folder)) {}
    std::optional<std::string> appFolder() noexcept override { return m_folder; }
    std::string m_folder;
};

QWidget* openLoop() {
    QWidget* popup = QApplication::activePopupWidget();
    return popup != nullptr ? popup : QApplication::activeModalWidget();
}

} // namespace

class NestedLoopsTest : public QObject {
    Q_OBJECT

private slots:
    void anEndSignalUnloadsOnceTheLoopHasReturned_data() {
        QTest::addColumn<int>("opener");
        QTest::newRow("tray menu") << 0;
        QTest::newRow("file dialog") << 1;
        QTest::newRow("message box") << 2;
    }

    void anEndSignalUnloadsOnceTheLoopHasReturned() {
        QFETCH(int, opener);
        testsupport::TempDir app;
        {
            ui::MainWindow window;
            Host host(window, app.path() + "/");
            frmMain form(window.controls(), host);
            window.onClose = [&form] { form.Form_Unload(); };
            QVERIFY(ui::closeOnEndSignals(window));
            form.Form_Load();
            window.show();
            QVERIFY(form.sysTray() != nullptr);

            const std::function<void()> open[] = {
                [&] { form.m_frmSysTray_SysTrayMouseDown(trayButton::Right); },
                [&] { qobject_cast<QPushButton*>(window.control("cmdFileOpen"))->click(); },
                [&] { showErrorMessage("The file cannot be read."); },
            };
            bool signalled = false;
            bool returned = false;
            bool unloadedBeforeReturn = true;
            // Runs inside the nested loop once it is open.
            QTimer watch;
            watch.setInterval(0);
            connect(&watch, &QTimer::timeout, [&] {
                QWidget* loop = openLoop();
                if (!signalled) {
                    if (loop != nullptr) {
                        signalled = true;
                        std::raise(SIGTERM);
                    }
                    return;
                }
                // The window has closed and the loop is still open: it was never asked to end.
                // Ended as a user would end it, choosing the menu's first item.
                if (loop != nullptr && !window.isVisible()) {
                    if (auto* dialog = qobject_cast<QDialog*>(loop)) {
                        dialog->reject();
                    } else {
                        QTest::keyClick(loop, Qt::Key_Down);
                        QTest::keyClick(loop, Qt::Key_Return);
                    }
                }
            });
            watch.start();
            QTimer::singleShot(0, &window, [&] {
                open[opener]();
                returned = true;
                unloadedBeforeReturn = form.unloaded();
            });

            SENTREL_TRY_VERIFY(returned, 60000);
            watch.stop();
            QVERIFY(signalled);
            QVERIFY2(!unloadedBeforeReturn, "the window must not unload while the loop is on the stack");
            QVERIFY(form.unloadPending());
            QVERIFY(!window.isVisible());
            SENTREL_TRY_VERIFY(form.unloaded(), 60000);
            QVERIFY(!form.unloadPending());
            QVERIFY(form.sysTray() == nullptr);
            QVERIFY(openLoop() == nullptr);
        }
        QVERIFY(flushIniWrites(std::chrono::minutes(1)));
    }
};

QTEST_MAIN(NestedLoopsTest)
#include "NestedLoops_test.moc"
