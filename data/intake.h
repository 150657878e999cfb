#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What one accepted record report adds to the record list `treeData`: the texts of its row.
namespace Intake {

// "%04d-%02d-%02d %02d:%02d:%02d" from the year, month, day and hour, minute, second fields
// of the two words, whatever values they hold.
QString dateTimeText(uint date, uint time);

// The name text of a report: up to the first zero byte, at most 16 bytes.
QString reportNameText(const QByteArray& name);

// Columns 0 to 2 of the row for record `count` of `kind`; empty for an unknown kind.
QStringList rowTexts(int kind, int count, const QByteArray& name, uint date, uint time);

} // namespace Intake
