#include "data/detail.h"

#include "data/catalogue.h"
#include "data/logging.h"

#include <QCoreApplication>

namespace Detail {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("MainWindow", text);
}

// Builds the rows, keeping every read inside the record's arrays.
class RowBuilder {
public:
    RowBuilder(const Source& s, bool highLimit)
        : m_source(s)
        , m_highLimit(highLimit)
    {
    }

    bool on(int i) const { return i < m_source.onOffCount && m_source.onOff[i] != 0; }
    void add(const QString& number, const QString& itu, const QString& label, int i)
    {
        if (i >= m_source.powerCount)
            return;
        m_rows.append({number, itu, label, powerText(m_source.powers[i], m_highLimit)});
        m_readings.append(i);
        ++m_added;
    }
    int added() const { return m_added; }
    QList<QStringList> rows() const { return m_rows; }
    // The reading each row shows, by its index in the record.
    QList<int> readings() const { return m_readings; }

private:
    const Source& m_source;
    bool m_highLimit;
    QList<QStringList> m_rows;
    QList<int> m_readings;
    int m_added = 0;
};

QString entry(const QStringList& table, int i)
{
    return i < table.size() ? table.at(i) : QString();
}

const QString dash = QStringLiteral("-");

// Tarnex56/57/64: fixed wavelengths first, then DWDM channels (ITU number ituBase - i), then
// the total at `totalAt`; only the channels the meter reports as on, numbered as they are
// added. Always by wavelength: these meters label their fixed channels in nm.
void tarnexRows(RowBuilder& b, int count, int fixed, int ituBase, const QStringList& labels,
                int totalAt, const QString& totalText)
{
    for (int i = 0; i < count; ++i) {
        if (!b.on(i))
            continue;
        const bool total = i == totalAt;
        const QString itu = i < fixed || total ? dash : QString::number(ituBase - i);
        b.add(QString::number(b.added() + 1), itu, total ? totalText : entry(labels, i), i);
    }
}

void mpoRows(RowBuilder& b, const Source& s, int fibres)
{
    const QString mode = mpoModeText(s.mode);
    const QString polar = mpoPolarText(s.polar);
    for (int i = 0; i < fibres; ++i)
        b.add(QString::number(i + 1), mode, polar, i);
}

} // namespace

QString powerText(double dbm, bool highLimit)
{
    if (highLimit && dbm > Limits::High)
        return tr("High");
    if (dbm < Limits::Low)
        return tr("Low");
    return QString::number(dbm, 'g', 6);
}

QString mpoModeText(int mode)
{
    switch (mode) {
    case 1:
        return QStringLiteral("850nm");
    case 2:
        return QStringLiteral("1310nm");
    case 3:
        return QStringLiteral("1550nm");
    default:
        return QStringLiteral("-nm");
    }
}

QString mpoPolarText(int polar)
{
    switch (polar) {
    case 0:
        return QStringLiteral("Straight");
    case 1:
        return QStringLiteral("Rollover");
    case 2:
        return QStringLiteral("Flipped");
    default:
        return QString();
    }
}

namespace {

// The table the rows of `kind` take their labels from; nullptr for MPO kinds.
const QStringList* rowLabels(int kind, bool displayFreq, const QString& productName)
{
    const KindInfo* info = kindInfo(kind);
    if (!info || !info->wavelengths)
        return nullptr;
    switch (kind) {
    case Kind::Vendral8:
        return &vendral8Labels(productName, displayFreq);
    // These meters label their fixed channels in nm, so every row is by wavelength.
    case Kind::Tarnex56:
    case Kind::Tarnex57:
    case Kind::Tarnex64:
        return &info->wavelengths();
    default:
        return labelTable(kind, displayFreq);
    }
}

void build(RowBuilder& b, const KindInfo* info, int kind, const Source& s, bool displayFreq,
           const QString& productName)
{
    const QStringList* table = rowLabels(kind, displayFreq, productName);
    const int t = s.totalIndex;
    switch (kind) {
    case Kind::CWDM18:
    case Kind::Tarnex8: {
        const QStringList& labels = *table;
        for (int i = 0; i < labels.size(); ++i)
            b.add(QString::number(i + 1), QString(), labels.at(i), i);
        break;
    }
    case Kind::DWDM48: {
        // An older meter without channel filter or total: every channel shows.
        const int n = t == NoTotal ? info->channels : info->readings;
        const QStringList& labels = *table;
        for (int i = 0; i < n; ++i) {
            if (t != NoTotal && !b.on(i))
                continue;
            const QString itu = i < info->channels ? ituChannelText(DwdmGrid::Grid48, i) : dash;
            b.add(QString::number(i + 1), itu, entry(labels, i), i);
        }
        break;
    }
    case Kind::Vendral8: {
        const QStringList& labels = *table;
        for (int i = 0; i < info->readings; ++i) {
            const QString number = i < info->channels ? QString::number(i + 1) : QString();
            b.add(number, QString(), entry(labels, i), i);
        }
        break;
    }
    case Kind::DWDM96: {
        const QStringList& labels = *table;
        for (int i = 0; i < info->readings; ++i)
            b.add(QString::number(i + 1), ituChannelText(DwdmGrid::Grid96, i), entry(labels, i), i);
        break;
    }
    case Kind::Tarnex56: {
        // Without a total the 56 channels are all there is.
        const int count = t == NoTotal ? info->channels : info->readings;
        qCDebug(lcVelumin) << "totalIndex:" << t << count;
        tarnexRows(b, count, 8, 72, *table, info->channels, entry(*table, info->channels));
        break;
    }
    case Kind::Tarnex57:
        tarnexRows(b, info->readings, 8, 70, *table, info->channels, totalLabel(t));
        break;
    case Kind::Tarnex64:
        tarnexRows(b, info->readings, 15, 77, *table, info->channels, totalLabel(t));
        break;
    case Kind::DWDM49TOTAL: {
        const QStringList& labels = *table;
        for (int i = 0; i < info->channels; ++i)
            b.add(QString::number(i + 1), ituChannelText(DwdmGrid::Grid49, i), entry(labels, i), i);
        b.add(QString::number(info->readings), dash, s.totalLabel, info->channels);
        break;
    }
    case Kind::MPO12:
    case Kind::MPO24:
    case Kind::MPO16:
    case Kind::MPO32:
        mpoRows(b, s, info->channels);
        break;
    default:
        break;
    }
}

} // namespace

QList<QStringList> rows(int kind, const Source& s, bool displayFreq, const QString& productName)
{
    const KindInfo* info = kindInfo(kind);
    if (!info)
        return {};
    RowBuilder b(s, info->detailHigh);
    build(b, info, kind, s, displayFreq, productName);
    return b.rows();
}

QList<std::optional<Limits::Reading>> judgedReadings(int kind, const Source& s)
{
    const KindInfo* info = kindInfo(kind);
    QList<std::optional<Limits::Reading>> out;
    // Every row shows a reading the report carried (the builder skips what the on/off block
    // switched off and what lies past the readings), whatever its value: a real -99.00 dBm is
    // judged like any other. Totals are not channels and are never judged.
    for (int i : rowReadings(kind, s)) {
        out.append(i < info->channels
                       ? std::optional<Limits::Reading>(Limits::Reading{i + 1, s.powers[i]})
                       : std::nullopt);
    }
    return out;
}

bool labelsInFrequency(int kind, bool displayFreq, const QString& productName)
{
    const KindInfo* info = kindInfo(kind);
    const QStringList* table = rowLabels(kind, displayFreq, productName);
    return table && info->frequencies && table == &info->frequencies();
}

QList<int> rowReadings(int kind, const Source& s)
{
    const KindInfo* info = kindInfo(kind);
    if (!info)
        return {};
    RowBuilder b(s, info->detailHigh);
    build(b, info, kind, s, false, QString());
    return b.readings();
}

} // namespace Detail
