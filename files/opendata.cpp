#include "files/opendata.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringDecoder>

#include <limits>

namespace OpenData {

std::optional<int> parseInteger(QStringView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    // Accumulated as a negative number, whose range reaches one further than the positive one.
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 - (c - u'0');
        if (value < std::numeric_limits<int>::min())
            return std::nullopt;
    }
    if (!negative) {
        if (-value > std::numeric_limits<int>::max())
            return std::nullopt;
        return int(-value);
    }
    return int(value);
}

std::optional<Row> parseLine(QStringView line)
{
    const qsizetype firstComma = line.indexOf(u',');
    const std::optional<int> number =
        parseInteger(line.first(firstComma < 0 ? line.size() : firstComma).trimmed());
    if (!number)
        return std::nullopt;
    Row row;
    row.number = *number;
    if (firstComma < 0)
        return row;
    const QStringView rest = line.sliced(firstComma + 1);
    const qsizetype secondComma = rest.indexOf(u',');
    row.second = rest.first(secondComma < 0 ? rest.size() : secondComma).trimmed().toString();
    if (secondComma < 0)
        return row;
    const QStringView tail = rest.sliced(secondComma + 1);
    const qsizetype thirdComma = tail.indexOf(u',');
    row.third = tail.first(thirdComma < 0 ? tail.size() : thirdComma).trimmed().toString();
    return row;
}

QList<Row> parseText(QStringView text)
{
    QList<Row> rows;
    forEachRow(text, [&rows](Row& row) { rows.append(std::move(row)); });
    return rows;
}

QString refusal(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    if (!info.isFile())
        return QCoreApplication::translate("OpenData", "it is not a regular file");
    if (info.size() > MaxFileBytes)
        return QCoreApplication::translate("OpenData", "it is larger than %1 MiB")
            .arg(MaxFileBytes / (1024 * 1024));
    return {};
}

QString decode(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringConverter::System);
    return decoder(bytes);
}

QList<Row> parseBytes(const QByteArray& bytes)
{
    return parseText(decode(bytes));
}

} // namespace OpenData
