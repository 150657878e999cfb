#pragma once

#include <QByteArray>
#include <QString>

// Texts that come from the meter (record names, product and serial numbers, the build time) are
// shown in one-line fields and written into the lines of a report, where a control character
// would break a line or forge a new one. Each such character becomes a space; every other
// character stays as it is.
namespace MeterText {

// Below 0x20, and DEL. A zero byte ends a name and is never part of a text.
constexpr bool isControl(char c)
{
    return (static_cast<unsigned char>(c) < 0x20 && c != '\0') || c == '\x7F';
}

QByteArray printable(QByteArray bytes);
QString printable(QString text);

} // namespace MeterText
