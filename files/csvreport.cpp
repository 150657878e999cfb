#include "files/csvreport.h"

#include "data/catalogue.h"
#include "data/kinds.h"
#include "data/limits.h"
#include "data/metertext.h"
#include "files/report.h"

#include <QIODevice>
#include <QStringEncoder>

#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

namespace CsvReport {

namespace {

const QByteArray crlf = QByteArrayLiteral("\r\n");
const QByteArray separator = QByteArrayLiteral("==========================");

// Fixed texts are ASCII; the product name is written in the system's 8-bit code page.
QByteArray local8Bit(const QString& text)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder(text);
}

void labelRow(QByteArray& out, const char* title, const QStringList& items, int columns,
              ReportLayout::Style style)
{
    out += ',';
    out += title;
    for (int i = 0; i < columns; ++i) {
        out += ',';
        out += i < items.size() ? items.at(i).toLatin1() : QByteArray();
    }
    if (style == ReportLayout::Closed)
        out += ',';
    out += crlf;
}

// The longest cell: "High", or a general-format number such as "-1.23457e+06".
constexpr int MaxCell = 16;

char* put(char* p, const char* text, std::size_t n)
{
    std::memcpy(p, text, n);
    return p + n;
}

// Hundredths of a dBm written the way the general format with six significant digits writes
// them, without going through a double-to-text conversion: readings are always hundredths.
// nullptr when `dbm` is not a whole number of hundredths.
char* putHundredths(char* p, double dbm)
{
    const long long raw = std::llround(dbm * 100.0);
    if (std::llabs(raw) >= 1000000 || raw / 100.0 != dbm)
        return nullptr;
    const long long magnitude = std::llabs(raw);
    if (raw < 0)
        *p++ = '-';
    p = std::to_chars(p, p + 8, magnitude / 100).ptr;
    const int cents = int(magnitude % 100);
    if (cents != 0) {
        *p++ = '.';
        *p++ = char('0' + cents / 10);
        if (cents % 10 != 0)
            *p++ = char('0' + cents % 10);
    }
    return p;
}

// At most MaxCell bytes.
char* putCell(char* p, double dbm, double low)
{
    if (dbm < low)
        return put(p, "Low", 3);
    if (dbm > Limits::High)
        return put(p, "High", 4);
    if (char* end = putHundredths(p, dbm))
        return end;
    const QByteArray text = QByteArray::number(dbm, 'g', 6);
    return put(p, text.constData(), std::size_t(std::min<qsizetype>(text.size(), MaxCell)));
}

char* putDigits(char* p, int value, int width)
{
    for (int i = width - 1; i >= 0; --i, value /= 10)
        p[i] = char('0' + value % 10);
    return p + width;
}

// "yyyy-MM-dd hh:mm:ss" (or with "/" in the date); a null date or time, or a year beyond four
// digits, as QDate and QTime write them.
QByteArray dateTimeText(const Report::Record& r, char dateSeparator)
{
    QByteArray out;
    const QDate date = r.date();
    if (date.isValid() && date.year() > 0 && date.year() <= 9999) {
        char text[10];
        char* p = putDigits(text, date.year(), 4);
        *p++ = dateSeparator;
        p = putDigits(p, date.month(), 2);
        *p++ = dateSeparator;
        putDigits(p, date.day(), 2);
        out.append(text, 10);
    } else {
        const QString format =
            dateSeparator == '-' ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("yyyy/MM/dd");
        out += date.toString(format).toLatin1();
    }
    out += ' ';
    const QTime time = r.time();
    if (time.isValid()) {
        char text[8] = {0, 0, ':', 0, 0, ':', 0, 0};
        putDigits(text, time.hour(), 2);
        putDigits(text + 3, time.minute(), 2);
        putDigits(text + 6, time.second(), 2);
        out.append(text, 8);
    } else {
        out += time.toString(QStringLiteral("hh:mm:ss")).toLatin1();
    }
    return out;
}

// A field as CSV readers expect it (RFC 4180): in double quotes, with each inner quote doubled,
// when it holds a comma or a quote; else as it is, so that plain reports stay byte for byte.
QByteArray field(const QByteArray& text)
{
    if (!text.contains(',') && !text.contains('"'))
        return text;
    QByteArray quoted = text;
    quoted.replace('"', QByteArrayLiteral("\"\""));
    return '"' + quoted + '"';
}

double reading(const QList<double>& readings, int i)
{
    return i < readings.size() ? readings.at(i) : FillerDbm;
}

void appendCell(QByteArray& out, double dbm, double low)
{
    char cell[MaxCell];
    out.append(cell, putCell(cell, dbm, low) - cell);
}

QByteArray recordRows(const KindInfo* info, const Report& report)
{
    const ReportLayout& l = info->report;
    // One column per reading.
    const int columns = info->readings;
    QByteArray out;
    // About eight bytes a reading: enough that the buffer is allocated once.
    out.reserve(1024 + report.count() * (48 + 8 * columns));
    out += l.heading + crlf + separator + crlf + crlf;

    QStringList numbers;
    for (int i = 1; i <= columns; ++i)
        numbers << QString::number(i);
    labelRow(out, "Channel", numbers, columns, l.style);
    labelRow(out, "Wavelength[nm]", info->wavelengths(), columns, l.style);
    if (info->frequencies)
        labelRow(out, "Frequency[THz]", info->frequencies(), columns, l.style);
    if (l.itu != DwdmGrid::None) {
        out += ",ITU Channel #,";
        for (int k = 0; k < columns - 1; ++k)
            out += ituChannelText(l.itu, k).toLatin1() + ',';
        out += '-' + crlf;
    }

    // Each data row is put together in one buffer and appended once.
    std::vector<char> line;
    for (int p = 0; p < report.count(); ++p) {
        const Report::Record r = report.record(p);
        const QList<double> readings = r.readings();
        const QByteArray text = field(dateTimeText(r, '-') + ' ' + r.storedName().toLatin1());
        line.resize(std::size_t(16 + text.size() + (MaxCell + 1) * columns));
        char* at = std::to_chars(line.data(), line.data() + 12, r.number()).ptr;
        *at++ = ',';
        at = put(at, text.constData(), std::size_t(text.size()));
        for (int i = 0; i < columns; ++i) {
            *at++ = ',';
            at = putCell(at, reading(readings, i), l.lowLimit);
        }
        *at++ = '\r';
        *at++ = '\n';
        out.append(line.data(), at - line.data());
    }
    return out;
}

QByteArray fibreRows(const KindInfo* info, const QString& productName, const Report::Record& r)
{
    const ReportLayout& l = info->report;
    QByteArray out = field(local8Bit(MeterText::printable(productName)) + l.heading) + crlf;
    QByteArray measured = "Measured: " + dateTimeText(r, '/');
    if (l.nameOnLine2)
        measured += ' ' + r.storedName().toLatin1();
    out += field(measured) + crlf + separator + crlf;
    out += "no, wavelength[nm], polarity, power[dBm]" + crlf;
    const QByteArray mode = r.testWavelength().toLatin1();
    const QByteArray polar = r.polarity().toLatin1();
    const QList<double> readings = r.readings();
    for (int i = 0; i < info->channels; ++i) {
        out += QByteArray::number(i + 1) + ',' + mode + ',' + polar + ',';
        appendCell(out, reading(readings, i), l.lowLimit);
        out += crlf;
    }
    return out;
}

} // namespace

QString proposedFileName(const QString& product)
{
    static const QString reserved = QStringLiteral("/\\:*?\"<>|");
    QString name = product;
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || reserved.contains(c))
            c = QLatin1Char('_');
    }
    if (!name.isEmpty() && name.count(QLatin1Char('.')) == name.size())
        name.fill(QLatin1Char('_'));
    return name;
}

QByteArray readingCell(double dbm, double low)
{
    QByteArray out;
    appendCell(out, dbm, low);
    return out;
}

double lowLimit(int kind)
{
    const KindInfo* info = kindInfo(kind);
    return info ? info->report.lowLimit : 0.0;
}

QByteArray bytes(const Report& report)
{
    const KindInfo* info = kindInfo(report.kind());
    if (!info)
        return {};
    if (info->report.form == ReportLayout::RecordRows)
        return recordRows(info, report);
    return report.count() > 0 ? fibreRows(info, report.identity().product, report.record(0))
                              : QByteArray();
}

ReportFormats::Outcome write(const Report& report, QIODevice& out, QString* error,
                             const ReportFormats::Progress&)
{
    const QByteArray file = bytes(report);
    if (out.write(file) == file.size())
        return ReportFormats::Outcome::Written;
    *error = out.errorString();
    return ReportFormats::Outcome::Failed;
}

} // namespace CsvReport
