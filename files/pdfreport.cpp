#include "files/pdfreport.h"

#include "files/pdfpages.h"
#include "files/pdfsection.h"
#include "files/report.h"
#include "files/reportcontent.h"
#include "graph/graphpicture.h"
#include "graph/graphtable.h"

#include <QCoreApplication>
#include <QImage>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace PdfReport {

using PdfSection::Section;
using ReportFormats::Outcome;
using ReportResult::Tally;
using Cell = PdfPages::Cell;

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("PdfReport", text);
}

// The writer works at 72 dots per inch: every size is in points.
constexpr int Dpi = 72;
constexpr qreal LineHeight = PdfPages::LineHeight;
// The logo's box in the top right corner of the first page.
constexpr qreal LogoWidth = 150;
constexpr qreal LogoHeight = 60;
const QColor Red(200, 0, 0);

QPageLayout localePage()
{
    // Letter where the locale measures in inches, A4 elsewhere; the same margin left and right.
    if (QLocale().measurementSystem() == QLocale::ImperialUSSystem)
        return QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                           QMarginsF(0.75, 0.6, 0.75, 0.5), QPageLayout::Inch);
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 15, 20, 12),
                       QPageLayout::Millimeter);
}

// The serial number and the job on every page: the job text, else whom and where it was for.
QString footerText(const Report& report)
{
    QStringList parts;
    const MeterIdentity& meter = report.identity();
    if (!meter.serial.isEmpty())
        parts << QStringLiteral("%1 %2")
                     .arg(meter.product, tr("serial number %1").arg(meter.serial))
                     .trimmed();
    const JobBlock& block = report.jobBlock();
    QStringList job{report.job()};
    if (report.job().isEmpty())
        job = QStringList{block.customer, block.site};
    job.removeAll(QString());
    if (!job.isEmpty())
        parts << tr("Job: %1").arg(job.join(QStringLiteral(", ")));
    return parts.join(QStringLiteral("    "));
}

// What the first pages say before the summary table.
struct Summary {
    QList<PdfSection::Row> rows;
    QStringList names;
    Tally tally;
};

// Whether anything judges the records: without, the tables have no verdicts.
bool judging(const Report& report)
{
    return report.limits().enabled || report.judgesLoss();
}

PdfSection::Row summaryRow(const Report& report, const Section& s)
{
    const bool failed = s.outcome == ReportResult::Outcome::Fail;
    PdfSection::Row row{{QString::number(s.number)}, {s.name}, {s.dateTime}};
    if (judging(report)) {
        row << Cell{ReportResult::text(s.outcome), failed}
            << Cell{s.failing.join(QStringLiteral(", ")), failed};
    }
    row << Cell{s.lowest} << Cell{s.highest};
    return row;
}

void jobBlock(PdfPages& pages, const Report& report, const QImage& logo)
{
    const qreal top = pages.y();
    const qreal width = logo.isNull() ? 0 : pages.width() - LogoWidth - 12;
    if (!logo.isNull() && pages.drawing()) {
        const QSizeF size = QSizeF(logo.size()).scaled(LogoWidth, LogoHeight, Qt::KeepAspectRatio);
        pages.painter()->drawImage(
            QRectF(QPointF(pages.left() + pages.width() - size.width(), top), size), logo);
    }
    pages.text(tr("Velumin measurement report"), PdfPages::font(15, true), Qt::black, 0, width);
    const JobBlock& b = report.jobBlock();
    const QFont body = PdfPages::font(9);
    for (const auto& [label, value] : {std::pair{tr("Company: %1"), b.company},
                                       {tr("Customer: %1"), b.customer},
                                       {tr("Site: %1"), b.site},
                                       {tr("Link: %1"), b.link},
                                       {tr("Operator: %1"), b.operatorName},
                                       {tr("Job: %1"), report.job()}}) {
        if (!value.isEmpty())
            pages.text(label.arg(value), body, Qt::black, 0, width);
    }
    if (!logo.isNull() && pages.y() < top + LogoHeight)
        pages.space(top + LogoHeight - pages.y());
    pages.space(LineHeight / 2);
}

void result(PdfPages& pages, const Report& report, const Tally& tally)
{
    using ReportResult::Outcome;
    const Outcome overall = tally.overall();
    const QColor colour = overall == Outcome::Fail       ? Red
                          : overall == Outcome::Pass     ? QColor(0, 128, 0)
                          : overall == Outcome::CheckRef ? QColor(190, 100, 0)
                                                         : QColor(Qt::black);
    QString line =
        tr("Result: %1")
            .arg(overall == Outcome::NotJudged ? tr("not judged") : ReportResult::text(overall));
    if (report.incomplete())
        line += QStringLiteral("    ") + tr("INCOMPLETE");
    pages.text(line, PdfPages::font(14, true), colour);
    const QFont body = PdfPages::font(9);
    if (overall == Outcome::NotJudged) {
        pages.text(judging(report)
                       ? tr("No record could be judged against the limits or the loss budget.")
                       : tr("The records were not judged: no limits and no reference were in "
                            "force."),
                   body);
    } else {
        QStringList counts{tr("%1 passed").arg(tally.passed), tr("%1 failed").arg(tally.failed)};
        if (tally.checkRef > 0)
            counts << tr("%1 CHECK REF").arg(tally.checkRef);
        if (tally.notJudged > 0)
            counts << tr("%1 not checked").arg(tally.notJudged);
        pages.text(tr("Records: %1").arg(counts.join(QStringLiteral(", "))), body);
    }
    if (report.incomplete())
        pages.text(tr("INCOMPLETE: the download was cut short; this report holds %1 of %2 records.")
                       .arg(report.count())
                       .arg(report.expected()),
                   PdfPages::font(9, true), Red);
    pages.space(LineHeight / 2);
}

// A heading and its lines, those after the first indented.
void terms(PdfPages& pages, const QString& heading, const QStringList& lines)
{
    const QFont body = PdfPages::font(9);
    pages.text(heading.arg(lines.value(0)), body);
    for (int i = 1; i < lines.size(); ++i)
        pages.text(lines.at(i), body, Qt::black, 24);
}

void summary(PdfPages& pages, const Report& report, const Summary& s, const QImage& logo)
{
    pages.newPage();
    jobBlock(pages, report, logo);
    result(pages, report, s.tally);
    const QFont body = PdfPages::font(9);
    const MeterIdentity& identity = report.identity();
    pages.text(tr("Product: %1").arg(identity.product), body);
    pages.text(tr("Serial number: %1").arg(identity.serial), body);
    pages.text(tr("Hardware version: %1").arg(identity.hardware), body);
    pages.text(tr("Firmware version: %1").arg(identity.firmware), body);
    pages.text(tr("Exported: %1").arg(report.made().toString(QStringLiteral("yyyy-MM-dd hh:mm"))),
               body);
    const ReportContent::Channels channels{report.kind(), report.displayFreq(), identity.product};
    terms(pages, tr("Limits: %1"),
          report.limits().enabled ? ReportContent::limitsLines(report.limits(), channels)
                                  : QStringList{tr("none")});
    if (!report.judgesLoss()) {
        pages.text(tr("Reference: none"), body);
    } else {
        pages.text(tr("Reference: %1").arg(ReportContent::referenceText(report.reference())), body);
        terms(pages, tr("Loss budget: %1"),
              report.budget().isSet() ? ReportContent::budgetLines(report.budget(), channels)
                                      : QStringList{tr("none; losses are not judged")});
    }
    pages.space(LineHeight);

    QStringList titles{tr("No"), tr("Name"), tr("Date")};
    QList<QStringList> samples{
        {QString::number(report.count() + 1)}, s.names, {QStringLiteral("2026-12-31 23:59:59")}};
    QList<bool> wraps{false, false, false};
    if (judging(report)) {
        titles << tr("Verdict") << tr("Failing");
        samples << QStringList{tr("not checked"), QStringLiteral("CHECK REF")}
                << QStringList{tr("Failing")};
        wraps << false << true;
    }
    titles << tr("Lowest") << tr("Highest");
    samples << QStringList{QStringLiteral("-888.88")} << QStringList{QStringLiteral("-888.88")};
    wraps << false << false;
    const PdfPages::Table table = pages.table(titles, samples, wraps, judging(report) ? 4 : 1);
    pages.header(table);
    for (const PdfSection::Row& row : s.rows)
        pages.row(table, row, {});
}

void graph(PdfPages& pages, const Report& report, const Section& r)
{
    const int type = Graph::typeOfKind(report.kind());
    const QSize size = Graph::pictureSize(type, r.marks);
    if (size.isEmpty())
        return;
    // As wide as the text, unless it would not fit on a page of its own then.
    const qreal scale =
        std::min(pages.width() / size.width(), (pages.room() - LineHeight) / size.height());
    const QRectF rect = pages.take(size.height() * scale);
    if (!pages.drawing())
        return;
    const Graph::Picture picture =
        Graph::picture(type, r.readings, r.graphLabels, report.displayFreq(), r.marks);
    QPainter& painter = *pages.painter();
    painter.save();
    painter.translate(rect.topLeft());
    painter.scale(scale, scale);
    QFont f = PdfPages::font(9);
    f.setPixelSize(10);
    painter.setFont(f);
    Graph::paint(painter, picture, Graph::fittedFont(f, picture, nullptr), &pages.shaped());
    painter.restore();
}

void record(PdfPages& pages, const Report& report, const Section& r, const PdfPages::Table& table)
{
    pages.newPage();
    QString title = tr("Record %1").arg(r.number);
    if (!r.name.isEmpty())
        title += QStringLiteral(": ") + r.name;
    title += QStringLiteral("    ") + r.dateTime;
    if (judging(report))
        title += QStringLiteral("    ") + ReportResult::text(r.outcome);
    pages.text(title, PdfPages::font(11, true));
    if (!r.failing.isEmpty())
        pages.text(tr("Failing: %1").arg(r.failing.join(QStringLiteral(", "))), PdfPages::font(9),
                   Red);
    pages.space(LineHeight / 2);
    graph(pages, report, r);
    pages.space(LineHeight / 2);
    const auto continued = [&pages, &title]() {
        pages.text(title + QStringLiteral(" ") + tr("(continued)"), PdfPages::font(9, true));
    };
    pages.header(table, continued);
    for (const PdfSection::Row& row : r.channels)
        pages.row(table, row, continued);
}

} // namespace

Outcome write(const Report& report, QIODevice& out, QString* error,
              const ReportFormats::Progress& progress)
{
    QPdfWriter pdf(&out);
    pdf.setResolution(Dpi);
    pdf.setPageLayout(localePage());
    pdf.setTitle(tr("Velumin measurement report"));
    pdf.setCreator(QStringLiteral("Velumin"));
    // The painter's origin is the corner of the margins.
    const QRectF page(QPointF(0, 0), pdf.pageLayout().paintRectPixels(Dpi).size());
    const QString footer = footerText(report);
    QImage logo;
    if (!report.jobBlock().logo.isEmpty() && logo.load(report.jobBlock().logo))
        // Kept at about 300 dots per inch, so that a photograph does not swell the file.
        logo = logo.scaled(QSize(int(LogoWidth * 4), int(LogoHeight * 4)), Qt::KeepAspectRatio,
                           Qt::SmoothTransformation);

    // Every page says how many there are: the pages are laid out once without drawing to count
    // them. Each record is built for that, and only its summary row is kept.
    const int count = report.count();
    PdfPages counter(nullptr, pdf, page, footer, 0);
    Summary s;
    s.rows.reserve(count);
    PdfPages::Table table;
    for (int i = 0; i < count; ++i) {
        const Section rec = PdfSection::section(report, i);
        if (i == 0)
            table = counter.table(PdfSection::channelTitles(report),
                                  PdfSection::channelSamples(report, rec),
                                  QList<bool>(PdfSection::channelTitles(report).size(), false));
        s.rows.append(summaryRow(report, rec));
        s.names.append(rec.name);
        s.tally.add(rec.outcome);
        record(counter, report, rec, table);
    }
    PdfPages summaryCounter(nullptr, pdf, page, footer, 0);
    summary(summaryCounter, report, s, logo);

    QPainter painter;
    if (!painter.begin(&pdf)) {
        *error = tr("the PDF could not be started");
        return Outcome::Failed;
    }
    PdfPages pages(&painter, pdf, page, footer, summaryCounter.pages() + counter.pages());
    summary(pages, report, s, logo);
    s = {};
    for (int i = 0; i < count; ++i) {
        record(pages, report, PdfSection::section(report, i), table);
        if (progress && !progress(i + 1, count)) {
            painter.end();
            return Outcome::Cancelled;
        }
    }
    painter.end();
    return Outcome::Written;
}

} // namespace PdfReport
