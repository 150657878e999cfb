#pragma once

#include "data/measurement.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// What one accepted record report adds to the record list `treeData`: the texts of its row.
namespace Intake {

// "%04d-%02d-%02d %02d:%02d:%02d" from the year, month, day and hour, minute, second fields
// of the two words, whatever values they hold.
QString dateTimeText(uint date, uint time);
// Its two halves.
QString dateText(uint date);
QString timeText(uint time);

// Columns 0 to 2 of a record's row: its name (or number), type and date-time; empty for a record
// of no kind.
QStringList rowTexts(const Measurement& record);

} // namespace Intake
