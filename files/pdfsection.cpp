#include "files/pdfsection.h"

#include "data/detail.h"
#include "files/report.h"
#include "files/reportcontent.h"
#include "graph/graphtable.h"

#include <QCoreApplication>
#include <QMap>

#include <algorithm>
#include <optional>

namespace PdfSection {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("PdfReport", text);
}

QString notChecked()
{
    return ReportResult::text(ReportResult::Outcome::NotJudged);
}

// "+2.50", "-0.50": a margin in a column whose title gives the unit.
QString signedText(double value)
{
    const QString text = ReportContent::twoDecimals(value);
    return value > 0 && text != QLatin1String("0.00") ? QLatin1Char('+') + text : text;
}

// The grid of the report's graphs: light, so that the limit lines stand out.
const QColor Grid(185, 185, 185);

} // namespace

QString powerText(double dbm, const QString& shown)
{
    bool number = false;
    shown.toDouble(&number);
    return number ? ReportContent::twoDecimals(dbm) : shown;
}

QStringList channelTitles(const Report& report)
{
    QStringList titles = report.headers();
    if (report.limits().enabled)
        titles << tr("Verdict") << tr("Margin [dB]");
    if (report.judgesLoss())
        titles << tr("Reference [dBm]") << tr("Loss [dB]") << tr("Budget [dB]")
               << tr("Loss margin [dB]") << tr("Loss verdict");
    return titles;
}

QList<QStringList> channelSamples(const Report& report, const Section& first)
{
    QList<QStringList> samples;
    for (const Row& row : first.channels) {
        for (int i = 0; i < row.size(); ++i) {
            if (samples.size() <= i)
                samples.append(QStringList());
            samples[i] << row.at(i).text;
        }
    }
    // Whatever the later records hold: readings, margins and losses as far as a meter's
    // hundredths of a dBm go, and every verdict.
    QList<QStringList> widest{{}, {}, {}, {QStringLiteral("-888.88"), tr("High"), tr("Low")}};
    if (report.limits().enabled)
        widest << QStringList{notChecked(), QStringLiteral("HIGH")}
               << QStringList{QStringLiteral("+888.88")};
    if (report.judgesLoss())
        widest << QStringList{QStringLiteral("-888.88")} << QStringList{QStringLiteral("-888.88")}
               << QStringList{QStringLiteral("888.88")} << QStringList{QStringLiteral("+888.88")}
               << QStringList{notChecked(), QStringLiteral("CHECK REF")};
    for (int i = 0; i < widest.size(); ++i) {
        if (samples.size() <= i)
            samples.append(QStringList());
        samples[i] << widest.at(i);
    }
    return samples;
}

Section section(const Report& report, int i)
{
    const Report::Record r = report.record(i);
    Section s;
    s.number = r.number();
    s.name = r.name();
    s.dateTime = r.dateText() + QLatin1Char(' ') + r.timeText();
    s.readings = r.readings();
    s.graphLabels = Graph::labels(report.kind(), report.displayFreq(), r.totalLabel());
    s.marks.grid = Grid;
    const std::optional<Limits::RecordResult> verdict = r.verdict();
    const std::optional<Loss::RecordLoss> loss = r.loss();
    s.outcome = ReportResult::outcome(verdict, loss);
    if (verdict) {
        s.marks.min = report.limits().min;
        s.marks.max = report.limits().max;
    }
    if (loss)
        s.marks.losses = QStringList(s.readings.size(), QString());

    // The failing channels are named by the "No" of the rows beside them.
    QMap<int, QString> shownNumbers;
    QList<int> lossFailing;
    std::optional<double> lowest;
    std::optional<double> highest;
    for (const Report::Channel& c : r.channels()) {
        const QString power = powerText(c.dbm, c.text());
        Row row;
        for (int k = 0; k < 3; ++k)
            row << PdfPages::Cell{c.row.value(k)};
        const bool failsLimits = c.verdict && c.verdict->verdict != Limits::Verdict::Pass;
        row << PdfPages::Cell{power, failsLimits};
        if (!c.total) {
            shownNumbers.insert(c.position, c.number());
            lowest = std::min(lowest.value_or(c.dbm), c.dbm);
            highest = std::max(highest.value_or(c.dbm), c.dbm);
        }
        if (report.limits().enabled) {
            const QString judged =
                c.verdict ? Limits::verdictText(c.verdict->verdict) : notChecked();
            row << PdfPages::Cell{c.total ? QString() : judged, failsLimits}
                << PdfPages::Cell{c.verdict ? signedText(c.verdict->margin) : QString(),
                                  failsLimits};
        }
        if (failsLimits)
            s.marks.failing.insert(c.position - 1);
        if (report.judgesLoss()) {
            const std::optional<Loss::ChannelLoss>& l = c.loss;
            const auto value = [](const std::optional<double>& v) {
                return v ? ReportContent::twoDecimals(*v) : QString();
            };
            const bool fails = l && l->verdict == Loss::Verdict::Fail;
            const QString judged = l && l->verdict ? Loss::verdictText(*l->verdict) : notChecked();
            row << PdfPages::Cell{l ? value(l->reference) : QString()}
                << PdfPages::Cell{l ? value(l->loss) : QString(), fails}
                << PdfPages::Cell{l ? value(l->budget) : QString()}
                << PdfPages::Cell{l && l->margin ? signedText(*l->margin) : QString(), fails}
                << PdfPages::Cell{c.total ? QString() : judged, fails};
            if (l && l->loss && c.position - 1 < s.marks.losses.size())
                s.marks.losses[c.position - 1] = ReportContent::twoDecimals(*l->loss);
            if (fails) {
                s.marks.failing.insert(c.position - 1);
                s.marks.failingLosses.insert(c.position - 1);
                lossFailing << c.position;
            }
        }
        s.channels << row;
    }
    s.lowest = lowest ? powerText(*lowest, Detail::powerText(*lowest)) : QString();
    s.highest = highest ? powerText(*highest, Detail::powerText(*highest)) : QString();
    if (verdict) {
        for (int position : verdict->failing)
            s.failing << shownNumbers.value(position);
    }
    for (int position : lossFailing) {
        if (!verdict || !verdict->failing.contains(position))
            s.failing << tr("%1 (loss)").arg(shownNumbers.value(position));
    }
    if (verdict) {
        // Translated with the window's verdict texts.
        if (!verdict->spreadHolds)
            s.failing << QCoreApplication::translate("MainWindow", "spread");
        if (verdict->channels.isEmpty())
            s.failing << QCoreApplication::translate("MainWindow", "no channel checked");
    }
    return s;
}

} // namespace PdfSection
