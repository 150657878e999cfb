#include "files/reportcontent.h"

#include "data/kinds.h"
#include "data/loss.h"

#include <QCoreApplication>

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

QString twoDecimals(double value)
{
    const QString text = QString::number(value, 'f', 2);
    return text == QLatin1String("-0.00") ? QStringLiteral("0.00") : text;
}

namespace {

QString text(const char* source)
{
    return QCoreApplication::translate("ReportContent", source);
}

// "1 splice", "3 splices".
QString counted(int n, const char* one, const char* many)
{
    return text(n == 1 ? one : many).arg(n);
}

// A factor as given, with at least two decimals: "0.35", "0.275".
QString factorText(double value)
{
    const QString shortest = QString::number(value, 'g', 6);
    const int point = int(shortest.indexOf(QLatin1Char('.')));
    if (shortest.contains(QLatin1Char('e')) || point < 0 || shortest.size() - point - 1 <= 2)
        return twoDecimals(value);
    return shortest;
}

// "min -30.00 dBm, max 3.00 dBm"; empty where neither is set.
QString rangeText(const std::optional<double>& min, const std::optional<double>& max)
{
    QStringList parts;
    if (min)
        parts << text("min %1 dBm").arg(twoDecimals(*min));
    if (max)
        parts << text("max %1 dBm").arg(twoDecimals(*max));
    return parts.join(QStringLiteral(", "));
}

QString named(const QString& name, const QString& line)
{
    return name.isEmpty() ? line : name + QStringLiteral(": ") + line;
}

} // namespace

QString channelName(int kind, int position, bool displayFreq, const QString& productName)
{
    if (isMpoKind(kind))
        return text("Fibre %1").arg(position);
    const QString label = Detail::channelLabel(kind, position, displayFreq, productName);
    if (label.isEmpty())
        return text("Channel %1").arg(position);
    const bool thz = Detail::labelsInFrequency(kind, displayFreq, productName);
    return text("Channel %1 (%2 %3)")
        .arg(position)
        .arg(label, thz ? QStringLiteral("THz") : QStringLiteral("nm"));
}

QStringList limitsLines(const Limits::LimitSet& l, const Channels& channels)
{
    QStringList parts;
    if (l.min || l.max)
        parts << rangeText(l.min, l.max);
    else
        parts << text("no limits for channels not listed below");
    if (l.maxSpread)
        parts << text("max spread %1 dB").arg(twoDecimals(*l.maxSpread));
    QStringList lines{named(l.name, parts.join(QStringLiteral(", ")))};
    for (auto it = l.channels.cbegin(); it != l.channels.cend(); ++it) {
        const std::optional<Limits::ChannelLimits> held = Limits::limitsFor(l, it.key());
        lines << channelName(channels.kind, it.key(), channels.displayFreq, channels.productName) +
                     QStringLiteral(": ") +
                     (held ? rangeText(held->min, held->max) : text("not checked"));
    }
    return lines;
}

QString referenceText(const Loss::Reference& reference)
{
    QStringList parts;
    for (const QString& part : {reference.name, reference.meter, reference.date}) {
        if (!part.trimmed().isEmpty())
            parts << part.trimmed();
    }
    if (parts.isEmpty())
        parts << text("unnamed");
    return parts.join(QStringLiteral(", "));
}

QString linkText(const Loss::Link& link)
{
    return text("%1 km × %2 dB/km + %3 × %4 dB + %5 × %6 dB = %7 dB")
        .arg(QString::number(link.lengthKm, 'g', 6), factorText(link.dbPerKm),
             counted(link.connectorPairs, "%1 connector pair", "%1 connector pairs"),
             factorText(link.dbPerConnectorPair), counted(link.splices, "%1 splice", "%1 splices"),
             factorText(link.dbPerSplice), twoDecimals(link.maxLoss()));
}

QStringList budgetLines(const Loss::Budget& budget, const Channels& channels)
{
    const std::optional<double> max =
        budget.link ? std::optional<double>(budget.link->maxLoss()) : budget.maxLoss;
    QStringList lines{named(budget.name, max ? text("max loss %1 dB").arg(twoDecimals(*max))
                                             : text("no budget for channels not listed below"))};
    if (budget.link)
        lines << text("from the link: %1").arg(linkText(*budget.link));
    for (auto it = budget.channels.cbegin(); it != budget.channels.cend(); ++it) {
        const std::optional<double> held = budget.maxLossFor(it.key());
        lines << channelName(channels.kind, it.key(), channels.displayFreq, channels.productName) +
                     QStringLiteral(": ") +
                     (held ? text("max loss %1 dB").arg(twoDecimals(*held)) : text("not checked"));
    }
    return lines;
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

} // namespace ReportContent
