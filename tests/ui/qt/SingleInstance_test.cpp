// One program per data folder, with the real window and the real socket: a
// later start on the folder (on a thread of its own, as it would be a process
// of its own) brings the hidden window back and is told so; once the window
// has unloaded, the later start takes the folder instead.

#include "ui/qt/MainWindow.h"
#include "ui/qt/QtHost.h"
#include "ui/qt/SingleInstance.h"

#include "app/frmMain.h"
#include "app/modKorvelIni.h"
#include "support/qtWait.h"
#include "support/tempDir.h"

#include <QTest>
#include <QThread>

#include <chrono>
#include <memory>

namespace {

using Claim = ui::SingleInstance::Claim;

// A later start's claim, while this thread's event loop keeps turning for the first.
Claim claimFromAnotherStart(const std::string& folder) {
    Claim claim = Claim::Alone;
    const std::unique_ptr<QThread> later(QThread::create([&] { claim = ui::SingleInstance(folder).claim(); }));
    later->start();
    [[maybe_unused]] const bool ended = QTest::qWaitFor([&] { return later->isFinished(); }, 60000);
    later->wait(); // the claim's own waits are bounded
    return claim;
}

} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    void aLaterStartBringsTheWindowBackOrTakesTheFolderOnceItHasGone() {
        testsupport::TempDir app;
        {
            ui::MainWindow window;
            ui::QtHost host(window, platform::ProgramFolders{app.path(), app.path()});
            frmMain form(window.controls(), host);
            form.Form_Load();
            window.show();
            ui::SingleInstance first(app.path());
            QCOMPARE(first.claim(), Claim::First);
            first.onRequest = [&form] { return form.bringForward(); };

            window.setWindowState(Qt::WindowMinimized);
            window.hide(); // as minimising hides it where there is a tray
            QCOMPARE(claimFromAnotherStart(app.path()), Claim::Forwarded);
            QVERIFY(window.isVisible());
            QVERIFY(!window.isMinimized());

            form.Form_Unload();
            SENTREL_TRY_VERIFY(form.unloaded(), 60000);
            QCOMPARE(claimFromAnotherStart(app.path()), Claim::First);
        }
        QVERIFY(flushIniWrites(std::chrono::minutes(1)));
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "SingleInstance_test.moc"
