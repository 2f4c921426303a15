// The Qt change list leads a row to its copy: the row's tooltip, a double
// click and Enter, and the context menu with its commands greyed for a row
// that has no copy.

#include "ui/qt/MainWindow.h"

#include "support/fakeClock.h"
#include "view/controls.h"

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <utility>
#include <vector>

class RowCopyViewTest : public QObject {
    Q_OBJECT

private slots:
    void rowsOfferTheirCopyByTooltipDoubleClickEnterAndMenu() {
        ui::MainWindow window;
        window.show();
        auto& list = window.controls().lstLog;
        std::vector<std::pair<std::int64_t, view::RowCommand>> commands;
        list.copyOffer = [](std::int64_t row) {
            return row == 2 ? view::RowCopyOffer{true, "Copy: two"} : view::RowCopyOffer{false, "No copy: why"};
        };
        list.onRowCommand = [&](std::int64_t row, view::RowCommand command) { commands.emplace_back(row, command); };
        const auto formats = std::make_shared<testsupport::FakeFormats>();
        for (int i = 1; i <= 2; ++i) {
            list.appendRow({{2026, 12, 8, 10, 42, i}, modSentrel::fsFree, {i, std::nullopt}, formats});
        }
        QTreeView* tree = window.logView();
        const auto* model = window.logModel();
        QCOMPARE(model->data(model->index(0, 2), Qt::ToolTipRole).toString(), QStringLiteral("No copy: why"));
        QCOMPARE(model->data(model->index(1, 0), Qt::ToolTipRole).toString(), QStringLiteral("Copy: two"));

        const QPoint second = tree->visualRect(model->index(1, 0)).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, second);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, second);
        tree->setFocus();
        tree->setCurrentIndex(model->index(1, 0));
        QTest::keyClick(tree, Qt::Key_Return);
        using enum view::RowCommand;
        QCOMPARE(commands, (std::vector<std::pair<std::int64_t, view::RowCommand>>{{2, OpenCopy}, {2, OpenCopy}}));
        commands.clear();

        // The core asks for the menu of the row that was right-clicked; the
        // user picks its last command.
        list.onRowMenu = [&](std::int64_t row) {
            QTimer::singleShot(0, [&] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                QVERIFY(menu != nullptr);
                const auto actions = menu->actions();
                QCOMPARE(actions.size(), static_cast<qsizetype>(view::kRowMenu.size()));
                for (qsizetype i = 0; i < actions.size(); ++i) {
                    const auto caption = view::kRowMenu[static_cast<std::size_t>(i)].caption;
                    QCOMPARE(actions[i]->text(),
                             QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
                    QCOMPARE(actions[i]->isEnabled(), row == 2);
                }
                menu->setActiveAction(actions.back());
                QTest::keyClick(menu, Qt::Key_Return);
                menu->close();
            });
            if (const auto chosen = list.popupRowMenu(row == 2)) {
                commands.emplace_back(row, *chosen);
            }
        };
        for (const int row : {0, 1}) {
            emit tree->customContextMenuRequested(tree->visualRect(model->index(row, 0)).center());
        }
        // A greyed command does nothing.
        QCOMPARE(commands, (std::vector<std::pair<std::int64_t, view::RowCommand>>{{2, CopyPath}}));
    }
};

QTEST_MAIN(RowCopyViewTest)
#include "RowCopy_test.moc"
