// The Qt timer adapter: ticks keep arriving while a tick yields to the event
// loop, an interval of 0 gives no ticks, and disabling stops them.

#include "ui/qt/QtTimer.h"

#include "support/qtWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

class QtTimerTest : public QObject {
    Q_OBJECT

private slots:
    void ticksArriveWhileATickYields() {
        ui::QtTimer timer;
        int ticks = 0;
        int nested = 0;
        int deepest = 0;
        timer.onTick = [&] {
            ++ticks;
            deepest = std::max(deepest, timer.ticksRunning());
            if (ticks == 1) {
                // Like a copy that pumps messages after every chunk.
                QElapsedTimer clock;
                clock.start();
                const int before = ticks;
                while (clock.elapsed() < 300) {
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                }
                nested = ticks - before;
            }
        };
        timer.setInterval(10);
        timer.setEnabled(true);
        SENTREL_TRY_VERIFY(ticks > 1 && nested > 0, 5000);
        QVERIFY2(nested >= 5, "ticks must keep arriving inside a long tick");
        QCOMPARE(deepest, 2);
        timer.setEnabled(false);
        const int stoppedAt = ticks;
        QTest::qWait(100);
        QCOMPARE(ticks, stoppedAt);
    }

    void intervalZeroGivesNoTicks() {
        ui::QtTimer timer;
        int ticks = 0;
        timer.onTick = [&] { ++ticks; };
        timer.setEnabled(true);
        timer.setInterval(0);
        QTest::qWait(100);
        QCOMPARE(ticks, 0);
        QVERIFY(timer.enabled());
        timer.setInterval(5);
        SENTREL_TRY_VERIFY(ticks > 0, 5000);
    }

    void aThrowingTickDoesNotStopTheTimer() {
        ui::QtTimer timer;
        int ticks = 0;
        timer.onTick = [&] {
            ++ticks;
            throw std::runtime_error("tick failed");
        };
        timer.setInterval(5);
        timer.setEnabled(true);
        SENTREL_TRY_VERIFY(ticks >= 3, 5000);
        QCOMPARE(timer.ticksRunning(), 0);
    }
};

QTEST_GUILESS_MAIN(QtTimerTest)
#include "QtTimer_test.moc"
