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

QString entry(const QStringList* table, int i)
{
    return table && i < table->size() ? table->at(i) : QString();
}

const QString dash = QStringLiteral("-");

// The table the rows of a kind take their labels from; nullptr for MPO kinds.
const QStringList* rowLabels(const KindInfo& info, bool displayFreq, const QString& productName)
{
    if (!info.wavelengths)
        return nullptr;
    if (info.detail.productLabels)
        return &info.detail.productLabels(productName, displayFreq);
    return labelTable(info.code, displayFreq && !info.detail.inNm);
}

struct Row {
    QStringList texts;
    int reading;
};

// The rows of a record, each with the reading it shows; every read stays inside the record.
QList<Row> build(const Measurement& m, bool displayFreq, const QString& productName)
{
    QList<Row> out;
    if (!m.kind)
        return out;
    const KindInfo& info = *m.kind;
    const DetailRows& d = info.detail;
    const bool hasTotal = m.totalIndex != NoTotal || !d.totalNeedsIndex;
    const int count = hasTotal ? info.readings : info.channels;
    const bool filtered =
        d.onOff == DetailRows::Flagged || (d.onOff == DetailRows::WithTotal && hasTotal);
    if (d.traceTotalIndex)
        qCDebug(lcWindow) << "totalIndex:" << m.totalIndex << count;
    const QStringList* labels = rowLabels(info, displayFreq, productName);
    const QString mode = mpoModeText(m.mode);
    const QString polar = mpoPolarText(m.polar);
    const bool itu = d.grid != DwdmGrid::None || d.ituBase != 0;
    for (int i = 0; i < count && i < m.readings.size(); ++i) {
        if (filtered && !m.on(i))
            continue;
        const bool total = i >= info.channels;
        QString number = QString::number(d.numberedAsShown ? out.size() + 1 : i + 1);
        if (total && d.totalUnnumbered)
            number.clear();
        QString second;
        QString third;
        if (info.isMpo) {
            second = mode;
            third = polar;
        } else {
            if (total)
                second = itu ? dash : QString();
            else if (d.grid != DwdmGrid::None)
                second = ituChannelText(d.grid, i);
            else if (d.ituBase != 0)
                second = i < d.fixed ? dash : QString::number(d.ituBase - i);
            third = total && d.totalFromRecord ? m.totalLabel() : entry(labels, i);
        }
        out.append({{number, second, third, powerText(m.dbm(i), info.detailHigh)}, i});
    }
    return out;
}

} // namespace

QList<QStringList> rows(const Measurement& m, bool displayFreq, const QString& productName)
{
    QList<QStringList> out;
    for (const Row& row : build(m, displayFreq, productName))
        out.append(row.texts);
    return out;
}

QList<std::optional<Limits::Reading>> judgedReadings(const Measurement& m)
{
    QList<std::optional<Limits::Reading>> out;
    // Every row shows a reading the report carried (rows skip what the on/off flags switched off
    // and what lies past the readings), whatever its value: a real -99.00 dBm is judged like any
    // other. Totals are not channels and are never judged.
    for (int i : rowReadings(m)) {
        out.append(i < m.kind->channels
                       ? std::optional<Limits::Reading>(Limits::Reading{i + 1, m.dbm(i)})
                       : std::nullopt);
    }
    return out;
}

bool labelsInFrequency(int kind, bool displayFreq, const QString& productName)
{
    const KindInfo* info = kindInfo(kind);
    const QStringList* table = info ? rowLabels(*info, displayFreq, productName) : nullptr;
    return table && info->frequencies && table == &info->frequencies();
}

QString channelLabel(int kind, int position, bool displayFreq, const QString& productName)
{
    const KindInfo* info = kindInfo(kind);
    const QStringList* table = info ? rowLabels(*info, displayFreq, productName) : nullptr;
    if (!table || position < 1 || position > info->channels)
        return {};
    return table->value(position - 1);
}

QList<int> rowReadings(const Measurement& m)
{
    QList<int> out;
    for (const Row& row : build(m, false, QString()))
        out.append(row.reading);
    return out;
}

} // namespace Detail
