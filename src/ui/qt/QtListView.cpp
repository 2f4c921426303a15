#include "ui/qt/QtListView.h"
#include "platform/trail.h"

namespace ui {

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
        m_view->scrollTo(m_model->index(static_cast<int>(row - 1), 0));
    }
}

} // namespace ui
