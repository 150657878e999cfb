#include "files/reportcontent.h"

#include "data/kinds.h"
#include "graph/graphtable.h"

#include <QCoreApplication>
#include <QMap>

#include <algorithm>

namespace ReportContent {

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("MainWindow", text);
}
} // namespace

QString marginText(double margin)
{
    return QStringLiteral("%1%2 dB")
        .arg(margin > 0 ? QStringLiteral("+") : QString())
        .arg(margin, 0, 'f', 2);
}

QStringList limitsLines(const Limits::LimitSet& l)
{
    QStringList parts;
    const auto n = [](double v) { return QString::number(v); };
    if (l.min && l.max)
        parts << tr("%1 to %2 dBm").arg(n(*l.min), n(*l.max));
    else if (l.min)
        parts << tr("at least %1 dBm").arg(n(*l.min));
    else if (l.max)
        parts << tr("at most %1 dBm").arg(n(*l.max));
    if (l.maxSpread)
        parts << tr("spread at most %1 dB").arg(n(*l.maxSpread));
    if (!l.channels.isEmpty())
        parts << QCoreApplication::translate("MainWindow", "%n channel override(s)", nullptr,
                                             int(l.channels.size()));
    QString line = parts.join(QStringLiteral(", "));
    if (!l.name.isEmpty())
        line = l.name + QStringLiteral(": ") + line;
    return {line};
}

std::optional<Limits::ChannelResult> channelVerdict(const Limits::LimitSet& limits,
                                                    const Limits::Reading& reading)
{
    if (!limits.enabled)
        return std::nullopt;
    const Limits::RecordResult one = Limits::judge(limits, {reading});
    if (one.channels.isEmpty())
        return std::nullopt;
    return one.channels.first();
}

bool judges(const Limits::LimitSet& limits, int kind)
{
    return limits.enabled && Limits::notApplicable(limits, kind).isEmpty();
}

std::optional<Limits::RecordResult> recordVerdict(const Limits::LimitSet& limits,
                                                  const Measurement& record)
{
    if (!judges(limits, record.code()))
        return std::nullopt;
    QList<Limits::Reading> readings;
    for (const std::optional<Limits::Reading>& r : Detail::judgedReadings(record)) {
        if (r)
            readings.append(*r);
    }
    return Limits::judge(limits, readings);
}

QStringList detailHeaders(int kind, bool displayFreq, const QString& productName)
{
    if (isMpoKind(kind))
        return {tr("No"), QStringLiteral("Wavelength"), QStringLiteral("Polarity"),
                tr("Power [dBm]")};
    // Before a meter is known the unit alone decides.
    const bool byFrequency =
        kindInfo(kind) ? Detail::labelsInFrequency(kind, displayFreq, productName) : displayFreq;
    return {tr("No"), tr("ITU Channel #"),
            byFrequency ? tr("Frequency (THz)") : tr("Wavelength (nm)"), tr("Power [dBm]")};
}

PdfReport::Record pdfRecord(const Measurement& source, const RecordTexts& texts,
                            bool displayFreq, const QString& productName,
                            const QStringList& headers, const Limits::LimitSet& limits)
{
    const int kind = source.code();
    PdfReport::Record rec;
    rec.number = texts.index + 1;
    rec.name = texts.name;
    rec.dateTime = texts.dateTime;
    rec.graphType = Graph::typeOfKind(kind);
    const std::vector<double> readings = source.dbms();
    rec.readings = QList<double>(readings.begin(), readings.end());
    rec.graphLabels = Graph::labels(kind, displayFreq, source.totalLabel());
    rec.displayFreq = displayFreq;
    rec.headers = headers;
    const QList<QStringList> shown = Detail::rows(source, displayFreq, productName);
    const QList<std::optional<Limits::Reading>> judged = Detail::judgedReadings(source);
    const bool judging = judges(limits, kind);
    // The failing channels are named by the "No" of the rows beside them.
    QMap<int, QString> shownNumbers;
    std::optional<double> lowest;
    std::optional<double> highest;
    for (int i = 0; i < shown.size(); ++i) {
        PdfReport::ChannelRow channel{shown.at(i), QString(), QString()};
        if (const std::optional<Limits::Reading>& r = judged.value(i)) {
            shownNumbers.insert(r->number, shown.at(i).value(0));
            lowest = std::min(lowest.value_or(r->dbm), r->dbm);
            highest = std::max(highest.value_or(r->dbm), r->dbm);
            const std::optional<Limits::ChannelResult> c =
                judging ? channelVerdict(limits, *r) : std::nullopt;
            if (c) {
                channel.verdict = Limits::verdictText(c->verdict);
                channel.margin = marginText(c->margin);
            }
        }
        rec.channels << channel;
    }
    rec.lowest = lowest ? Detail::powerText(*lowest) : QString();
    rec.highest = highest ? Detail::powerText(*highest) : QString();
    if (const std::optional<Limits::RecordResult> verdict = recordVerdict(limits, source)) {
        rec.verdict = verdict->pass ? QStringLiteral("PASS") : QStringLiteral("FAIL");
        for (int position : verdict->failing)
            rec.failing << shownNumbers.value(position);
        if (!verdict->spreadHolds)
            rec.failing << tr("spread");
        if (verdict->channels.isEmpty())
            rec.failing << tr("no channel checked");
    }
    return rec;
}

} // namespace ReportContent
