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
        if (c.unicode() < 0x80 && isControl(char(c.unicode())))
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace MeterText
