#pragma once

#include <QString>
#include <QTableWidget>
#include <QTableWidgetItem>

// The first three cells of a row of per-channel overrides, as the limits dialog and the budget
// editor show them: the channel's position, its label (both fixed) and whether it is checked.
namespace ChannelRows {

inline void setFixedCells(QTableWidget* table, int row, const QString& label, bool checked)
{
    auto* number = new QTableWidgetItem(QString::number(row + 1));
    auto* labelItem = new QTableWidgetItem(label);
    for (QTableWidgetItem* fixed : {number, labelItem})
        fixed->setFlags(Qt::ItemIsEnabled);
    auto* check = new QTableWidgetItem;
    check->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    check->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    table->setItem(row, 0, number);
    table->setItem(row, 1, labelItem);
    table->setItem(row, 2, check);
}

} // namespace ChannelRows
