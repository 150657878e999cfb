#include "data/intake.h"

#include "data/kinds.h"

#include <QCoreApplication>

namespace Intake {

namespace {

bool named(const QByteArray& name, NameTest test)
{
    const auto nonZero = [&name](int i) { return i < name.size() && name.at(i) != '\0'; };
    switch (test) {
    case NameTest::FirstByte:
        return nonZero(0);
    case NameTest::FirstTwoBytes:
        return nonZero(0) || nonZero(1);
    case NameTest::Always:
        return true;
    }
    return false;
}

} // namespace

QString dateTimeText(uint date, uint time)
{
    return dateText(date) + QLatin1Char(' ') + timeText(time);
}

QString dateText(uint date)
{
    return QString::asprintf("%04d-%02d-%02d", int(date >> 16), int((date >> 8) & 0xFF),
                             int(date & 0xFF));
}

QString timeText(uint time)
{
    return QString::asprintf("%02d:%02d:%02d", int(time >> 16), int((time >> 8) & 0xFF),
                             int(time & 0xFF));
}

QStringList rowTexts(const Measurement& record)
{
    const KindInfo* info = record.kind;
    if (!info)
        return {};
    // A name that starts with a zero byte but passes the two-byte test shows as an empty cell.
    const QString first = named(record.name, info->nameTest) ? record.nameText()
                                                             : QString::number(record.index + 1);
    return {first, QCoreApplication::translate("MainWindow", info->typeLabel),
            dateTimeText(record.dateWord, record.timeWord)};
}

} // namespace Intake
