#include "files/reportcontent.h"

#include "data/kinds.h"

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

} // namespace ReportContent
