#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// How the Open Data viewer reads a CSV file: every line whose first field is an integer becomes
// a row of that integer and the next two fields. Pure: text in, rows out.
namespace OpenData {

struct Row {
    int number = 0;
    QString second; // empty when the line has fewer fields
    QString third;
};

// A strict base-10 integer: an optional sign, ASCII digits, nothing else, within the signed
// 32-bit range.
std::optional<int> parseInteger(QStringView text);

// The row of one line (without its line end), or none when its first field, trimmed, is not an
// integer. Fields are split at commas outside double quotes; a quoted field loses its quotes
// and reads a doubled quote as one; the second and third are trimmed.
std::optional<Row> parseLine(QStringView line);

// Calls `take(row)` for the row of every line of a whole file's text, LF and CR LF alike.
template <typename Take> void forEachRow(QStringView text, Take take)
{
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        const qsizetype next = end < 0 ? text.size() : end + 1;
        if (end < 0)
            end = text.size();
        QStringView line = text.sliced(start, end - start);
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (std::optional<Row> row = parseLine(line))
            take(*row);
        start = next;
    }
}

// The rows of a whole file's text, LF and CR LF alike.
QList<Row> parseText(QStringView text);

// The largest file the viewer reads: well above the largest report Save Data writes, and small
// enough to read on the GUI thread without the window freezing for long.
constexpr qint64 MaxFileBytes = qint64(64) * 1024 * 1024;

// Why the file at `path` is not read, or an empty text when it may be: only regular files (a
// pipe would block the reader, a device never ends) and none larger than MaxFileBytes. A path
// where nothing is found is left to the reader, which shows it empty.
QString refusal(const QString& path);

// A file's bytes as text, decoded with the system's 8-bit code page, as reports are written.
QString decode(const QByteArray& bytes);

// The rows of a file's bytes, decoded with the system's 8-bit code page, as reports are written.
QList<Row> parseBytes(const QByteArray& bytes);

} // namespace OpenData
