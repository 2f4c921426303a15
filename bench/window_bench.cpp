// The main window at work, on the real Qt view (offscreen): the cost of a
// tick without a change next to the bare probe, the tick and the memory per
// row with a million rows in the list, the longest gap between progress
// repaints during a 1 GiB copy, and the CPU time of 30 s of watching.
// "window_bench --rows" stops after the million rows.

#include "benchHost.h"
#include "processUsage.h"

#include "app/frmMain.h"
#include "app/modKorvelIni.h"
#include "log/rowCopies.h"
#include "platform/files.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/QtHost.h"
#include "watch/modSentrel.h"
#include "watch/observeFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

namespace {

template <typename Work>
double microsecondsPer(int count, Work work) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        work();
    }
    const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / count;
}

// One watch cycle: the tick hands the probe to its thread, and the cycle
// finishes when the answer comes back through the event loop, or on the
// probe's thread when it brings nothing new (then nothing wakes the loop, so
// it is turned without waiting).
void cycle(frmMain& form) {
    form.Timer1_Timer();
    while (form.probeUnderWay()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

double residentMegabytes() {
    return static_cast<double>(statusKilobytes("VmRSS:")) / 1024.0;
}

} // namespace

int main(int argc, char** argv) {
    const bool rowsOnly = argc > 1 && std::string_view(argv[1]) == "--rows";
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    const auto folder = std::filesystem::temp_directory_path() / ("sentrel-window-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string watched = (folder / "current.csv").string();
    std::ofstream(watched) << "a,b,c\r\n";
    std::ofstream(folder / "Settings.ini")
        << "[Main]\r\nMONITOR=0\r\nCOPY=0\r\nBALLOON=0\r\nFILENAME=" << watched << "\r\n";

    ui::MainWindow window;
    BenchHost host(window, folder.string() + "/");
    frmMain form(window.controls(), host);
    form.Form_Load();
    const auto finish = [&] {
        form.Form_Unload();
        flushIniWrites(std::chrono::seconds(10));
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        return 0;
    };
    cycle(form); // the first tick records the file; the ones measured find no change

    const int ticks = 20000;
    // The floor: one open, one status read and one close of the watched file.
    const double floor = microsecondsPer(ticks, [&] {
        const int fd = ::open(watched.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        ::fstat(fd, &info);
        ::close(fd);
    });
    // The tick's own work, as its worker thread does it: probe and compare.
    const double probe = microsecondsPer(ticks, [&] {
        const auto seen = watch::describe(watch::probeFile(watched), host.clock());
        watch::differs(seen, seen.record, seen.stamp);
    });
    // The whole tick on the GUI thread: the probe handed to a thread of its
    // own and its answer waited for with the event loop turning.
    const double tickEmpty = microsecondsPer(ticks / 4, [&] { cycle(form); });
    std::printf("No-change tick, 1 row (round trip): %8.2f us  -> tick / floor = %.2f x\n", tickEmpty,
                tickEmpty / floor);
    std::printf("  the tick's probe and compare:     %8.2f us  -> probe / floor = %.2f x (target 1.3 x)\n", probe,
                probe / floor);
    std::printf("  open + fstat + close floor:       %8.2f us\n", floor);

    // A million rows: memory per row and the tick at that size.
    const double before = residentMegabytes();
    const auto storeBefore = window.logModel()->rows().memoryUsed();
    auto& list = window.controls().lstLog;
    const int rows = 1000000;
    const auto formats = host.clock().formats();
    for (int i = 0; i < rows; ++i) {
        list.appendRow({{2026, 12, 7, 5, 10 + i % 50, 10 + i % 50},
                        i % 7 == 0 ? modSentrel::fsOpen : modSentrel::fsFree,
                        {std::int64_t{i} * 1031, platform::LocalDateTime{2026, 12, 7, 5, 10, i % 60}},
                        formats});
    }
    const double after = residentMegabytes();
    const auto& store = window.logModel()->rows();
    const auto storeAfter = store.memoryUsed();
    const auto storeRows = static_cast<double>(store.size());
    // What the list draws: the texts of the rows on screen, made when asked for.
    const double drawRow = microsecondsPer(ticks, [&, row = std::int64_t{0}]() mutable {
        row = (row + 7919) % store.size();
        for (int column = 0; column < logview::LogRows::kColumns; ++column) {
            static_cast<void>(store.text(row, column));
        }
    });
    cycle(form); // the newest row now differs: record the file once more
    const double tickFull = microsecondsPer(ticks, [&] { cycle(form); });
    std::printf("No-change tick, %d rows:     %8.2f us  -> %.2f x the 1-row tick\n", rows, tickFull,
                tickFull / tickEmpty);
    std::printf("Memory per row at %d rows: %.1f bytes of row store (%.1f in all, target 32), %.1f bytes of "
                "process (RSS +%.1f MiB)\n",
                rows, static_cast<double>(storeAfter - storeBefore) / rows, static_cast<double>(storeAfter) / storeRows,
                (after - before) * 1024 * 1024 / rows, after - before);
    // Beside the rows, the window keeps which copy each row leads to.
    logview::RowCopies links;
    for (std::int64_t row = 1; row <= rows; ++row) {
        links.recorded(row, logview::RowCopyState::Copying);
        if (row % 1000 == 0) {
            links.copied(links.newest(row), true, "/copies/current - 2026-12-07 05-10-10 AM (0001).csv");
        }
    }
    const double linkBytes = static_cast<double>(links.memoryUsed()) / rows;
    std::printf("Copy links: %.1f bytes per row (row store and links %.1f, target 32)\n", linkBytes,
                static_cast<double>(storeAfter) / storeRows + linkBytes);
    std::printf("Texts of one row, made to be drawn: %.2f us\n", drawRow);
    list.clear();
    std::printf("After Clear Log View: %zu bytes of row store\n", store.memoryUsed());
    if (rowsOnly) {
        return finish();
    }

    // The longest gap between two progress repaints while 1 GiB is copied.
    {
        std::ofstream big(watched, std::ios::binary | std::ios::trunc);
        std::vector<char> block(1 << 20, 'x');
        for (int i = 0; i < 1024; ++i) {
            big.write(block.data(), static_cast<std::streamsize>(block.size()));
        }
    }
    auto& timer2 = window.controls().Timer2;
    const auto paint = timer2.onTick;
    QElapsedTimer clock;
    std::vector<qint64> paints;
    timer2.onTick = [&] {
        paints.push_back(clock.nsecsElapsed());
        paint();
    };
    clock.start();
    form.MakeCopy(true);
    const qint64 copyDone = clock.nsecsElapsed();
    qint64 longest = paints.empty() ? copyDone : paints.front();
    for (std::size_t i = 1; i < paints.size(); ++i) {
        longest = std::max(longest, paints[i] - paints[i - 1]);
    }
    std::printf("1 GiB copy: %.2f s, %zu progress repaints, longest gap %.1f ms\n", copyDone / 1e9, paints.size(),
                longest / 1e6);
    timer2.onTick = paint;
    std::filesystem::remove_all(folder / "Copies");
    std::ofstream(watched, std::ios::trunc) << "a,b,c\r\n";

    // Detection latency at a 100 ms interval: from the write to the new row,
    // with the writes spread over the interval.
    {
        window.controls().txtInterval.setText("100");
        window.controls().chkMonitor.setValue(1);
        QElapsedTimer since;
        qint64 rowAt = -1;
        QObject::connect(window.logModel(), &QAbstractItemModel::rowsInserted, window.logModel(),
                         [&] { rowAt = since.nsecsElapsed(); });
        std::vector<double> latencies;
        for (int i = 0; i < 20; ++i) {
            QEventLoop pause;
            QTimer::singleShot(150 + (i * 37) % 100, &pause, &QEventLoop::quit);
            pause.exec();
            rowAt = -1;
            since.start();
            std::ofstream(watched, std::ios::trunc) << "change " << i << "\r\n";
            QEventLoop waiting;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, &waiting, [&] {
                if (rowAt >= 0 || since.elapsed() > 2000) {
                    waiting.quit();
                }
            });
            poll.start(1);
            waiting.exec();
            latencies.push_back(rowAt >= 0 ? rowAt / 1e6 : 2000.0);
        }
        std::sort(latencies.begin(), latencies.end());
        std::printf("Detection latency at 100 ms, 20 changes: median %.1f ms, longest %.1f ms (target 105 ms)\n",
                    latencies[latencies.size() / 2], latencies.back());
        window.controls().chkMonitor.setValue(0);
    }

    // 30 s of watching every 500 ms with no change, through the real event loop.
    cycle(form);
    window.controls().txtInterval.setText("500");
    window.controls().chkMonitor.setValue(1);
    const double cpuBefore = cpuSeconds();
    QEventLoop watching;
    QTimer::singleShot(30000, &watching, &QEventLoop::quit);
    watching.exec();
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("30 s of watching at 500 ms, no change: %.3f s CPU (%.3f %% of one core)\n", cpu, cpu / 30 * 100);

    window.controls().chkMonitor.setValue(0);
    return finish();
}
