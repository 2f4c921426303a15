#pragma once
// The view's change list on a Qt tree view over the compact row store.

#include "ui/qt/LogListModel.h"
#include "view/controls.h"

#include <QTreeView>

namespace ui {

class QtListView : public view::ListView {
public:
    QtListView(QTreeView* view, LogListModel* model) : m_view(view), m_model(model) {}
    std::int64_t rowCount() const noexcept override { return m_model->rows().size(); }
    std::optional<std::string> subItem(std::int64_t row, ChangeColumn column) const noexcept override;
    void appendRow(const ChangeRow& row) override;
    void clear() noexcept override { m_model->clearRows(); }
    void ensureVisible(std::int64_t row) noexcept override;

private:
    QTreeView* m_view;
    LogListModel* m_model;
};

} // namespace ui
