// The Qt window keeps the view's contract (offscreen), the item model behind
// its change list checked at every step and its loop turned by the host.

#include "ui/qt/MainWindow.h"
#include "ui/qt/Pictures.h"
#include "ui/qt/QtHost.h"
#include "ui/viewContract.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QTreeView>

namespace {

class QtView {
public:
    QtView() : m_tester(m_window.logModel(), QAbstractItemModelTester::FailureReportingMode::Fatal) {
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
    // The model's tooltip, the same on every column.
    std::string rowTip(std::int64_t row) const {
        const auto* model = m_window.logModel();
        const auto tip = [&](int column) {
            return model->data(model->index(static_cast<int>(row - 1), column), Qt::ToolTipRole).toString();
        };
        for (int column = 1; column < model->columnCount(); ++column) {
            EXPECT_EQ(tip(column), tip(0)) << "row " << row << ", column " << column;
        }
        return tip(0).toStdString();
    }
    void doubleClickRow(std::int64_t row) {
        QTest::mouseClick(m_window.logView()->viewport(), Qt::LeftButton, {}, rowCentre(row));
        QTest::mouseDClick(m_window.logView()->viewport(), Qt::LeftButton, {}, rowCentre(row));
    }
    void pressEnterOnRow(std::int64_t row) {
        QTreeView* tree = m_window.logView();
        tree->setFocus();
        tree->setCurrentIndex(m_window.logModel()->index(static_cast<int>(row - 1), 0));
        QTest::keyClick(tree, Qt::Key_Return);
    }
    // The menu is modal: a timer reads and answers it from inside its loop.
    std::vector<testsupport::ShownMenuItem> chooseLastRowMenuItem(std::int64_t row) {
        std::vector<testsupport::ShownMenuItem> items;
        QTimer answer;
        answer.setSingleShot(true);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr) {
                return;
            }
            const auto actions = menu->actions();
            for (const auto* action : actions) {
                items.push_back({action->text().toStdString(), !action->isEnabled()});
            }
            menu->setActiveAction(actions.back());
            QTest::keyClick(menu, Qt::Key_Return);
            menu->close();
        });
        answer.start(0);
        emit m_window.logView()->customContextMenuRequested(rowCentre(row));
        return items;
    }
    bool visible() const { return m_window.isVisible(); }
    int closes() const { return m_closes; }
    // Through the host, as a tick that waits for a copy turns the loop.
    void pump(std::chrono::milliseconds span) {
        QElapsedTimer clock;
        clock.start();
        do {
            m_host.waitForMessagesAtMost(std::chrono::milliseconds(5));
        } while (clock.elapsed() < span.count());
    }

private:
    QPoint rowCentre(std::int64_t row) const {
        return m_window.logView()->visualRect(m_window.logModel()->index(static_cast<int>(row - 1), 0)).center();
    }
    QWidget* widget(std::string_view name) const { return m_window.control(std::string(name).c_str()); }

    ui::MainWindow m_window;
    ui::QtHost m_host{m_window};
    QAbstractItemModelTester m_tester;
    int m_closes = 0;
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, ViewContract, QtView);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
