#include "data/metertext.h"

namespace MeterText {

QByteArray printable(QByteArray bytes)
{
    for (char& c : bytes) {
        if (isControl(c))
            c = ' ';
    }
    return bytes;
}

QString printable(QString text)
{
    for (QChar& c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace MeterText
