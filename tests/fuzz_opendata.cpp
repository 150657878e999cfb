#include "files/opendata.h"

#include <QLoggingCategory>
#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <vector>

// Input: the bytes of a file handed to the Open Data viewer. Whatever they hold, reading them
// must not crash, every row must carry a number that reads back as itself, the rows must be
// those of the lines one by one, and a CR at the end of a line must change nothing.
namespace {


void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

bool sameRow(const OpenData::Row& a, const OpenData::Row& b)
{
    return a.number == b.number && a.second == b.second && a.third == b.third;
}

bool sameRows(const QList<OpenData::Row>& a, const QList<OpenData::Row>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (!sameRow(a.at(i), b.at(i)))
            return false;
    }
    return true;
}

// Only signs and ASCII digits: text that Qt's own conversion reads under the same rule.
bool signsAndDigits(const QString& text)
{
    for (QChar c : text) {
        if (c != u'+' && c != u'-' && (c < u'0' || c > u'9'))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The decoder writes a debug line per read; millions of them would drown the fuzzer.
    QLoggingCategory::setFilterRules(QStringLiteral("velumin.*.debug=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact-size copy, so that a read past the end of the input is caught.
    const std::vector<char> copy(data, data + size);
    const QByteArray bytes = QByteArray::fromRawData(copy.data(), qsizetype(copy.size()));
    const QList<OpenData::Row> rows = OpenData::parseBytes(bytes);

    for (const OpenData::Row& row : rows) {
        const std::optional<int> back = OpenData::parseInteger(QString::number(row.number));
        check(back.has_value() && *back == row.number);
    }

    // The same text line by line: the rows of the lines that give one, in order.
    QStringDecoder decoder(QStringConverter::System);
    const QString text = decoder(bytes);
    const QStringList lines = text.split(u'\n');
    QList<OpenData::Row> byLine;
    QString crlf;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        // The piece after a final LF is no line.
        if (i == lines.size() - 1 && line.isEmpty())
            break;
        crlf += line + QStringLiteral("\r\n");
        if (line.endsWith(u'\r'))
            line.chop(1);
        const std::optional<OpenData::Row> row = OpenData::parseLine(line);
        if (!row)
            continue;
        byLine.append(*row);
        const std::optional<OpenData::Row> withCr = OpenData::parseLine(line + u'\r');
        check(withCr.has_value() && sameRow(*withCr, *row));
    }
    check(sameRows(rows, byLine));
    check(sameRows(OpenData::parseText(text), rows));
    // Every line end written as CR LF: the same table.
    check(sameRows(OpenData::parseText(crlf), rows));

    // A first field of signs and digits only reads as Qt reads a 32-bit decimal.
    const QString first = text.section(u',', 0, 0);
    if (signsAndDigits(first)) {
        bool ok = false;
        const int value = first.toInt(&ok, 10);
        const std::optional<int> parsed = OpenData::parseInteger(first);
        check(parsed.has_value() == ok);
        check(!ok || *parsed == value);
    }
    return 0;
}
