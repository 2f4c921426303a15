#pragma once
// The view's change list on a Qt tree view over the compact row store.

#include "ui/qt/LogListModel.h"
#include "view/controls.h"

#include <QTreeView>

namespace ui {

class QtListView : public view::ListView {
public:
    // Gives each row its copy's tooltip, double click and Enter, and menu.
    QtListView(QTreeView* view, LogListModel* model);
    std::int64_t rowCount() const noexcept override { return m_model->rows().size(); }
    std::optional<std::string> subItem(std::int64_t row, ChangeColumn column) const noexcept override;
    void appendRow(const ChangeRow& row) override;
    void clear() noexcept override { m_model->clearRows(); }
    void ensureVisible(std::int64_t row) noexcept override;

    std::optional<view::RowCommand> popupRowMenu(bool enabled) noexcept override;

private:
    // Where the row menu was last asked for, on the screen.
    QPoint m_menuAt;
    // The view as the last scroll to a row left it. Follow Log asks on every
    // tick; while nothing has moved since, the row is in view already.
    struct Followed {
        std::int64_t row = 0;
        std::int64_t rows = 0;
        int down = 0; // the scroll bars' values and their ends
        int downEnd = 0;
        int across = 0;
        int acrossEnd = 0;
        QSize viewport;
        bool operator==(const Followed&) const = default;
    };
    Followed followed(std::int64_t row) const;
    std::optional<Followed> m_followed;

    QTreeView* m_view;
    LogListModel* m_model;
};

} // namespace ui
