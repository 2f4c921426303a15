#pragma once
// The change list's rows for a Qt item view: the compact row store behind a
// table model, with the state icons as decorations of the first column.

#include "log/LogRows.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <functional>
#include <vector>

namespace ui {

class LogListModel : public QAbstractTableModel {
public:
    explicit LogListModel(QObject* parent = nullptr);

    // The icons of the state image list, picture 1 first.
    void setIcons(std::vector<QIcon> icons) { m_icons = std::move(icons); }
    // Where a row's tooltip comes from (rows from 0).
    void setToolTips(std::function<QString(int row)> tips) { m_tips = std::move(tips); }

    void appendRow(const ChangeRow& row);
    void clearRows();
    const logview::LogRows& rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    logview::LogRows m_rows;
    std::vector<QIcon> m_icons;
    std::function<QString(int row)> m_tips;
};

} // namespace ui
