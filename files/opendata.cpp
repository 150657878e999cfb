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

namespace {

// One field from `pos` on, up to the next comma outside double quotes; `pos` moves past that
// comma, or to -1 at the end of the line. A field in double quotes (after leading spaces) is read
// as CSV readers read it: the quotes go, a doubled quote inside is one quote, commas inside stay.
QString nextField(QStringView line, qsizetype& pos)
{
    qsizetype i = pos;
    while (i < line.size() && line[i] == u' ')
        ++i;
    if (i >= line.size() || line[i] != u'"') {
        const qsizetype comma = line.indexOf(u',', pos);
        const QStringView field = line.sliced(pos, (comma < 0 ? line.size() : comma) - pos);
        pos = comma < 0 ? -1 : comma + 1;
        return field.trimmed().toString();
    }
    QString out;
    for (++i; i < line.size(); ++i) {
        if (line[i] != u'"') {
            out += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == u'"') {
            out += u'"';
            ++i;
        } else {
            break;
        }
    }
    // Whatever follows the closing quote up to the next comma belongs to the field as well.
    const qsizetype comma = i < line.size() ? line.indexOf(u',', i) : -1;
    if (i + 1 < line.size())
        out += line.sliced(i + 1, (comma < 0 ? line.size() : comma) - i - 1);
    pos = comma < 0 ? -1 : comma + 1;
    return out.trimmed();
}

} // namespace

std::optional<Row> parseLine(QStringView line)
{
    const qsizetype firstComma = line.indexOf(u',');
    const std::optional<int> number =
        parseInteger(line.first(firstComma < 0 ? line.size() : firstComma).trimmed());
    if (!number)
        return std::nullopt;
    Row row;
    row.number = *number;
    qsizetype pos = firstComma < 0 ? -1 : firstComma + 1;
    if (pos >= 0)
        row.second = nextField(line, pos);
    if (pos >= 0)
        row.third = nextField(line, pos);
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
