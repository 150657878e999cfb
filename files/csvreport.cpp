#include "files/csvreport.h"

#include "data/catalogue.h"
#include "data/detail.h"

#include <QStringEncoder>

#include <cmath>

namespace CsvReport {

namespace {

const QByteArray crlf = QByteArrayLiteral("\r\n");
const QByteArray separator = QByteArrayLiteral("==========================");
constexpr double HighLimit = 16.0;

enum class Style { Closed, Open };

struct RecordLayout {
    const char* heading;
    int columns;
    const QStringList& (*wavelengths)();
    const QStringList& (*frequencies)();  // nullptr: no frequency row
    DwdmGrid itu;
    bool hasItu;
    Style style;
    double lowLimit;
};

// Kinds 1 to 9 in kind-code order.
const RecordLayout recordLayouts[9] = {
    {" CWDM-18 Data", 18, cwdm18Wavelengths, nullptr, DwdmGrid::Grid48, false, Style::Closed, -50},
    {"DWDM-48 Data", 49, dwdm48Wavelengths, dwdm48Frequencies, DwdmGrid::Grid48, true,
     Style::Open, -50},
    {"Vendral-8 Data", 5, lanWdmWavelengths, lanWdmFrequencies, DwdmGrid::Grid48, false,
     Style::Open, -40},
    {"DWDM-96 Data", 96, dwdm96Wavelengths, dwdm96Frequencies, DwdmGrid::Grid96, false,
     Style::Open, -50},
    {" Tarnex-8 Data", 10, tarnex8Wavelengths, nullptr, DwdmGrid::Grid48, false, Style::Open,
     -40},
    {" Caspel(56ch) Data", 57, tarnex56Wavelengths, tarnex56Frequencies, DwdmGrid::Grid48, false,
     Style::Open, -40},
    {" Caspel(57ch) Data", 58, tarnex57Wavelengths, tarnex57Frequencies, DwdmGrid::Grid48, false,
     Style::Open, -40},
    {" Caspel(64ch) Data", 65, tarnex64Wavelengths, tarnex64Frequencies, DwdmGrid::Grid48, false,
     Style::Open, -40},
    {"Pelkin Data", 50, dwdm49Wavelengths, dwdm49Frequencies, DwdmGrid::Grid49, true,
     Style::Closed, -40},
};

struct FibreLayout {
    const char* suffix;
    bool nameOnLine2;
};

// Kinds 10 to 13.
const FibreLayout fibreLayouts[4] = {
    {"MPO Data", true},
    {"MPO24 Data", false},
    {"MPO16 Data", true},
    {"MPO32 Data", true},
};

// Fixed texts are ASCII; the product name is written in the system's 8-bit code page.
QByteArray local8Bit(const QString& text)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder(text);
}

void labelRow(QByteArray& out, const char* title, const QStringList& items, int columns,
              Style style)
{
    out += ',';
    out += title;
    for (int i = 0; i < columns; ++i) {
        out += ',';
        out += i < items.size() ? items.at(i).toLatin1() : QByteArray();
    }
    if (style == Style::Closed)
        out += ',';
    out += crlf;
}

// Hundredths of a dBm written the way the general format with six significant digits writes
// them, without going through a double-to-text conversion: readings are always hundredths.
bool appendHundredths(QByteArray& out, double dbm)
{
    const double scaled = dbm * 100.0;
    const long long raw = std::llround(scaled);
    if (std::abs(raw) >= 1000000 || raw / 100.0 != dbm)
        return false;
    const long long magnitude = std::abs(raw);
    if (raw < 0)
        out += '-';
    out += QByteArray::number(magnitude / 100);
    const int cents = int(magnitude % 100);
    if (cents != 0) {
        out += '.';
        out += char('0' + cents / 10);
        if (cents % 10 != 0)
            out += char('0' + cents % 10);
    }
    return true;
}

void appendCell(QByteArray& out, double dbm, double low)
{
    if (dbm < low)
        out += "Low";
    else if (dbm > HighLimit)
        out += "High";
    else if (!appendHundredths(out, dbm))
        out += QByteArray::number(dbm, 'g', 6);
}

void appendDateTime(QByteArray& out, const Row& r, const char* dateFormat)
{
    out += r.date.toString(QLatin1String(dateFormat)).toLatin1();
    out += ' ';
    out += r.time.toString(QStringLiteral("hh:mm:ss")).toLatin1();
}

} // namespace

QByteArray nameBytes(const RecordName& name)
{
    std::size_t n = 0;
    while (n < name.size() && name[n] != '\0')
        ++n;
    return QByteArray(name.data(), qsizetype(n));
}

namespace {

template <typename Values> Row valuesRow(const Values& values)
{
    Row out;
    out.values = values.data();
    out.valueCount = int(values.size());
    return out;
}

template <typename R> Row namedRow(const R& r, const double* values, int count)
{
    Row out;
    out.date = r.date;
    out.time = r.time;
    out.name = nameBytes(r.name);
    out.values = values;
    out.valueCount = count;
    return out;
}

} // namespace

Row row(const CWDM18Record& r) { return namedRow(r, r.cwdmData.data(), 18); }
Row row(const DWDM48Record& r) { return namedRow(r, r.dwdmData.data(), 50); }
Row row(const DWDM96Record& r) { return namedRow(r, r.dwdmData.data(), 96); }
Row row(const Tarnex8Record& r) { return namedRow(r, r.data.data(), 10); }
Row row(const Tarnex56Record& r) { return namedRow(r, r.data.data(), 58); }
Row row(const Tarnex64Record& r) { return namedRow(r, r.data.data(), 65); }
Row row(const DWDM49TOTALRecord& r) { return namedRow(r, r.dwdmData.data(), 50); }

Row row(const Vendral8Record& r, const QString& name)
{
    Row out = valuesRow(r.data);
    out.date = r.date;
    out.time = r.time;
    // The names were taken in byte for byte; they go out the same way.
    out.name = name.toLatin1();
    return out;
}

Row row(const MPO24Record& r)
{
    Row out = valuesRow(r.mpoData);
    out.date = r.date;
    out.time = r.time;
    out.mode = r.mode;
    out.polar = r.polar;
    return out;
}

QByteArray readingCell(double dbm, double low)
{
    QByteArray out;
    appendCell(out, dbm, low);
    return out;
}

double lowLimit(int kind)
{
    if (kind >= Kind::CWDM18 && kind <= Kind::DWDM49TOTAL)
        return recordLayouts[kind - 1].lowLimit;
    return isMpoKind(kind) ? -50.0 : 0.0;
}

QByteArray recordRows(int kind, const QList<Row>& records)
{
    if (kind < Kind::CWDM18 || kind > Kind::DWDM49TOTAL)
        return {};
    const RecordLayout& l = recordLayouts[kind - 1];
    QByteArray out;
    // About eight bytes a reading: enough that the buffer is allocated once.
    out.reserve(1024 + records.size() * (48 + 8 * l.columns));
    out += l.heading + crlf + separator + crlf + crlf;

    QStringList numbers;
    for (int i = 1; i <= l.columns; ++i)
        numbers << QString::number(i);
    labelRow(out, "Channel", numbers, l.columns, l.style);
    labelRow(out, "Wavelength[nm]", l.wavelengths(), l.columns, l.style);
    if (l.frequencies)
        labelRow(out, "Frequency[THz]", l.frequencies(), l.columns, l.style);
    if (l.hasItu) {
        out += ",ITU Channel #,";
        for (int k = 0; k < l.columns - 1; ++k)
            out += ituChannelText(l.itu, k).toLatin1() + ',';
        out += '-' + crlf;
    }

    for (int p = 0; p < records.size(); ++p) {
        const Row& r = records.at(p);
        out += QByteArray::number(p + 1);
        out += ',';
        appendDateTime(out, r, "yyyy-MM-dd");
        out += ' ';
        out += r.name;
        for (int i = 0; i < l.columns; ++i) {
            out += ',';
            appendCell(out, i < r.valueCount ? r.values[i] : RecordValues::Filler, l.lowLimit);
        }
        out += crlf;
    }
    return out;
}

QByteArray fibreRows(int kind, const QString& productName, const Row& r)
{
    if (!isMpoKind(kind))
        return {};
    const FibreLayout& l = fibreLayouts[kind - Kind::MPO12];
    QByteArray out = local8Bit(productName) + l.suffix + crlf;
    out += "Measured: ";
    appendDateTime(out, r, "yyyy/MM/dd");
    if (l.nameOnLine2)
        out += ' ' + r.name;
    out += crlf + separator + crlf;
    out += "no, wavelength[nm], polarity, power[dBm]" + crlf;
    const QByteArray mode = Detail::mpoModeText(r.mode).toLatin1();
    const QByteArray polar = Detail::mpoPolarText(r.polar).toLatin1();
    const int fibres = channelCount(kind);
    for (int i = 0; i < fibres; ++i) {
        out += QByteArray::number(i + 1) + ',' + mode + ',' + polar + ',';
        appendCell(out, i < r.valueCount ? r.values[i] : RecordValues::Filler, -50.0);
        out += crlf;
    }
    return out;
}

} // namespace CsvReport
