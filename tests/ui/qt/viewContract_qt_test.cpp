// The Qt window keeps the view's contract (offscreen), the item model behind
// its change list checked at every step.

#include "ui/qt/MainWindow.h"
#include "ui/qt/Pictures.h"
#include "ui/viewContract.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <functional>

namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "qt_view_contract_tests";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static auto* app = new QApplication(argc, argv); // lives as long as the process
    return *app;
}

class QtView {
public:
    QtView() : m_started(application()), m_tester(m_window.logModel(), Mode::Fatal) {
        m_window.onClose = [this] { ++m_closes; };
    }
    frmMainControls controls() { return m_window.controls(); }
    void click(std::string_view name) { qobject_cast<QAbstractButton*>(widget(name))->click(); }
    void type(std::string_view name, const std::string& keys) {
        QTest::keyClicks(widget(name), QString::fromStdString(keys));
    }
    std::string caption() const { return m_window.windowTitle().toStdString(); }
    std::string shownText(std::string_view name) const {
        return widget(name)->property("text").toString().toStdString();
    }
    std::int64_t shownRows() const { return m_window.logModel()->rowCount(); }
    std::string shownCell(std::int64_t row, ChangeColumn column) const {
        const auto* model = m_window.logModel();
        return model->data(model->index(static_cast<int>(row - 1), static_cast<int>(column))).toString().toStdString();
    }
    int shownIcon(std::int64_t row) const {
        const auto* model = m_window.logModel();
        const auto icon = model->data(model->index(static_cast<int>(row - 1), 0), Qt::DecorationRole).value<QIcon>();
        const auto pictures = ui::pictures::stateIcons();
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            const auto& picture = pictures[i];
            const auto size = picture.deviceIndependentSize().toSize();
            if (icon.pixmap(size, picture.devicePixelRatio()).toImage() == picture.toImage()) {
                return static_cast<int>(i + 1);
            }
        }
        return 0;
    }
    std::uint32_t shownColour(std::string_view name, int x, int y) const {
        const QImage image = widget(name)->grab().toImage();
        return image.pixel(image.width() * x / 100, image.height() * y / 100) & 0xFFFFFFu;
    }
    bool visible() const { return m_window.isVisible(); }
    int closes() const { return m_closes; }
    void pump(std::chrono::milliseconds span) {
        QElapsedTimer clock;
        clock.start();
        do {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        } while (clock.elapsed() < span.count());
    }
    bool pumpUntil(const std::function<bool()>& done) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return done();
    }

private:
    using Mode = QAbstractItemModelTester::FailureReportingMode;
    QWidget* widget(std::string_view name) const { return m_window.control(std::string(name).c_str()); }

    QApplication& m_started;
    ui::MainWindow m_window;
    QAbstractItemModelTester m_tester;
    int m_closes = 0;
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, ViewContract, QtView);
