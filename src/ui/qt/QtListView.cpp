#include "ui/qt/QtListView.h"
#include "platform/trail.h"
#include "ui/qt/QtText.h"

#include <QMenu>
#include <QScrollBar>

namespace ui {

QtListView::QtListView(QTreeView* view, LogListModel* model) : m_view(view), m_model(model) {
    m_model->setToolTips([this](int row) { return QString::fromStdString(rowOffer(row + 1).tip); });
    // A double click, or Enter, as the desktop's style activates an item.
    QObject::connect(m_view, &QAbstractItemView::activated, m_view,
                     [this](const QModelIndex& index) { runRowCommand(index.row() + 1, view::RowCommand::OpenCopy); });
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(m_view, &QWidget::customContextMenuRequested, m_view, [this](const QPoint& at) {
        const QModelIndex index = m_view->indexAt(at);
        if (index.isValid()) {
            m_menuAt = m_view->viewport()->mapToGlobal(at);
            runRowMenu(index.row() + 1);
        }
    });
}

std::optional<view::RowCommand> QtListView::popupRowMenu(bool enabled) noexcept {
    try {
        QMenu menu(m_view);
        for (const auto& item : view::kRowMenu) {
            QAction* action = menu.addAction(toQString(item.caption));
            action->setEnabled(enabled);
            action->setData(static_cast<int>(item.command));
        }
        menu.setDefaultAction(menu.actions().constFirst());
        const QAction* chosen = menu.exec(m_menuAt);
        if (chosen != nullptr) {
            return static_cast<view::RowCommand>(chosen->data().toInt());
        }
    } catch (...) {
        platform::trailCurrentException();
    }
    return std::nullopt;
}

std::optional<std::string> QtListView::subItem(std::int64_t row, ChangeColumn column) const noexcept {
    try {
        return m_model->rows().text(row - 1, column);
    } catch (...) {
        platform::trailCurrentException();
        return std::nullopt; // no memory left to make the text
    }
}

void QtListView::appendRow(const ChangeRow& row) {
    m_model->appendRow(row);
}

void QtListView::ensureVisible(std::int64_t row) noexcept {
    // Nothing to scroll while the window is hidden (in the tray): the watch
    // cycle asks again on its next tick, once the list can be seen.
    if (!m_view->isVisible()) {
        return;
    }
    if (row >= 1 && row <= m_model->rows().size()) {
        if (m_followed == followed(row)) {
            return;
        }
        m_view->scrollTo(m_model->index(static_cast<int>(row - 1), 0));
        m_followed = followed(row);
    }
}

QtListView::Followed QtListView::followed(std::int64_t row) const {
    const QScrollBar& vertical = *m_view->verticalScrollBar();
    const QScrollBar& horizontal = *m_view->horizontalScrollBar();
    return {row,
            m_model->rows().size(),
            vertical.value(),
            vertical.maximum(),
            horizontal.value(),
            horizontal.maximum(),
            m_view->viewport()->size()};
}

} // namespace ui
