// The Qt host's desktop calls that must not hold up the GUI thread: tones on
// a thread of their own.

#include "ui/qt/TonePlayer.h"

#include <QApplication>
#include <QTest>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

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
};

QTEST_MAIN(QtHostTest)
#include "QtHost_test.moc"
