#include "ui/qt/LogListModel.h"

#include "platform/trail.h"
#include "ui/qt/QtText.h"
#include "view/listColumns.h"

#include <limits>

namespace ui {

LogListModel::LogListModel(QObject* parent) : QAbstractTableModel(parent) {}

void LogListModel::appendRow(const ChangeRow& row) {
    if (m_rows.size() >= std::numeric_limits<int>::max()) {
        return; // Qt's views count rows in int
    }
    const int index = static_cast<int>(m_rows.size());
    beginInsertRows(QModelIndex(), index, index);
    m_rows.append(row);
    endInsertRows();
}

void LogListModel::clearRows() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int LogListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int LogListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(view::kListColumns.size());
}

QVariant LogListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        // Only the rows on screen are asked for, so their texts are made here.
        try {
            const auto text = m_rows.text(index.row(), index.column());
            return text ? toQString(*text) : QString();
        } catch (...) {
            platform::trailCurrentException();
            return QString(); // no memory left to make the text: the cell stays empty
        }
    }
    if (role == Qt::ToolTipRole && m_tips) {
        return m_tips(index.row());
    }
    if (role == Qt::DecorationRole && index.column() == 0) {
        const int icon = m_rows.icon(index.row());
        if (icon >= 1 && static_cast<std::size_t>(icon) <= m_icons.size()) {
            return m_icons[static_cast<std::size_t>(icon - 1)];
        }
    }
    return {};
}

QVariant LogListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        static_cast<std::size_t>(section) < view::kListColumns.size()) {
        return toQString(view::kListColumns[static_cast<std::size_t>(section)].header);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace ui
