#include "ui/qt/LogListModel.h"

#include "log/logColumns.h"

#include <limits>

namespace ui {

LogListModel::LogListModel(QObject* parent) : QAbstractTableModel(parent) {}

void LogListModel::appendRow(int icon, std::string_view time, std::string_view state, std::string_view sizeText,
                             std::string_view sizeBytes, std::string_view dateModified) {
    if (m_rows.size() >= std::numeric_limits<int>::max()) {
        return; // Qt's views count rows in int
    }
    const int row = static_cast<int>(m_rows.size());
    beginInsertRows(QModelIndex(), row, row);
    m_rows.append(icon, time, state, sizeText, sizeBytes, dateModified);
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
    return parent.isValid() ? 0 : static_cast<int>(kLogColumns.size());
}

QVariant LogListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        const auto text = m_rows.text(index.row(), index.column());
        return text ? QString::fromUtf8(text->data(), static_cast<qsizetype>(text->size())) : QString();
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
        static_cast<std::size_t>(section) < kLogColumns.size()) {
        const auto header = kLogColumns[static_cast<std::size_t>(section)].header;
        return QString::fromUtf8(header.data(), static_cast<qsizetype>(header.size()));
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace ui
