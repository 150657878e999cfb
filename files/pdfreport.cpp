#include "files/pdfreport.h"

#include "data/detail.h"
#include "files/report.h"
#include "files/reportcontent.h"
#include "graph/graphpicture.h"
#include "graph/graphtable.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QLocale>
#include <QMap>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <optional>

namespace PdfReport {

using ReportFormats::Outcome;

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("PdfReport", text);
}

// All sizes in points: the writer works at 72 dots per inch.
constexpr int Dpi = 72;
constexpr qreal Margin = 40;
constexpr qreal FooterHeight = 18;
constexpr qreal LineHeight = 13;
constexpr qreal RowHeight = 11.5;
constexpr qreal GraphShare = 0.42; // of a record's first page

QPageSize localePaper()
{
    // Letter where the locale measures in inches, A4 elsewhere.
    return QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize(QPageSize::Letter)
                                                                      : QPageSize(QPageSize::A4);
}

QFont font(qreal points, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// One row of a record's channel table: the detail view's cells, and the verdict where the
// channel is checked.
struct ChannelRow {
    QStringList cells;
    QString verdict; // "PASS", "LOW", "HIGH"; empty when not checked
    QString margin;  // "+2.50 dB"; empty when not checked
};

// What a record's pages show.
struct Section {
    int number = 0;
    QString name;
    QString dateTime;
    QString verdict;     // "PASS" or "FAIL"; empty without limits
    QStringList failing; // the No of each failing channel
    QString lowest;
    QString highest;
    QList<double> readings;
    QStringList graphLabels;
    QList<ChannelRow> channels;
};

Section section(const Report& report, int i)
{
    const Report::Record r = report.record(i);
    Section s;
    s.number = r.number();
    s.name = r.name();
    s.dateTime = r.dateText() + QLatin1Char(' ') + r.timeText();
    s.readings = r.readings();
    s.graphLabels = Graph::labels(report.kind(), report.displayFreq(), r.totalLabel());
    // The failing channels are named by the "No" of the rows beside them.
    QMap<int, QString> shownNumbers;
    std::optional<double> lowest;
    std::optional<double> highest;
    for (const Report::Channel& c : r.channels()) {
        ChannelRow row{c.row, QString(), QString()};
        if (!c.total) {
            shownNumbers.insert(c.position, c.number());
            lowest = std::min(lowest.value_or(c.dbm), c.dbm);
            highest = std::max(highest.value_or(c.dbm), c.dbm);
        }
        if (c.verdict) {
            row.verdict = Limits::verdictText(c.verdict->verdict);
            row.margin = ReportContent::marginText(c.verdict->margin);
        }
        s.channels << row;
    }
    s.lowest = lowest ? Detail::powerText(*lowest) : QString();
    s.highest = highest ? Detail::powerText(*highest) : QString();
    if (const std::optional<Limits::RecordResult> verdict = r.verdict()) {
        s.verdict = verdict->pass ? QStringLiteral("PASS") : QStringLiteral("FAIL");
        for (int position : verdict->failing)
            s.failing << shownNumbers.value(position);
        // Translated with the window's verdict texts.
        if (!verdict->spreadHolds)
            s.failing << QCoreApplication::translate("MainWindow", "spread");
        if (verdict->channels.isEmpty())
            s.failing << QCoreApplication::translate("MainWindow", "no channel checked");
    }
    return s;
}

// The page plan: how many rows fit where, so that every page can say how many there are.
struct Plan {
    QRectF body; // where content goes, above the footer
    int summaryFirstRows = 0;
    int summaryNextRows = 0;
    int recordFirstRows = 0;
    int recordNextRows = 0;

    static int pagesFor(int rows, int first, int next)
    {
        if (rows <= first)
            return 1;
        return 1 + (rows - first + next - 1) / next;
    }
    int summaryPages(int records) const
    {
        return pagesFor(records, summaryFirstRows, summaryNextRows);
    }
    int recordPages(const Section& r) const
    {
        return pagesFor(int(r.channels.size()), recordFirstRows, recordNextRows);
    }
};

qreal summaryHeaderHeight(const QStringList& limits)
{
    // Title, four identity lines, the export date, the limits (at least one line), a gap.
    return 2 * LineHeight + 5 * LineHeight + std::max<qsizetype>(1, limits.size()) * LineHeight +
           LineHeight;
}

Plan plan(const QRectF& page, const QStringList& limits)
{
    Plan p;
    p.body = page.adjusted(0, 0, 0, -FooterHeight);
    const int rows = int(p.body.height() / RowHeight) - 1; // one for the table header
    p.summaryFirstRows =
        std::max(1, int((p.body.height() - summaryHeaderHeight(limits)) / RowHeight) - 1);
    p.summaryNextRows = std::max(1, rows);
    const qreal graphBottom = 2 * LineHeight + p.body.height() * GraphShare + LineHeight;
    p.recordFirstRows = std::max(1, int((p.body.height() - graphBottom) / RowHeight) - 1);
    p.recordNextRows = std::max(1, rows - 2);
    return p;
}

// What the summary table shows of a record.
struct SummaryRow {
    QStringList cells;
    bool failed = false;
};

SummaryRow summaryRow(const Section& rec)
{
    return {{QString::number(rec.number), rec.name, rec.dateTime, rec.verdict,
             rec.failing.join(QStringLiteral(", ")), rec.lowest, rec.highest},
            rec.verdict == QLatin1String("FAIL")};
}

class Writer {
public:
    Writer(QPainter& painter, QPdfWriter& pdf, const Plan& plan, int pages, const Report& report)
        : m_painter(painter)
        , m_pdf(pdf)
        , m_plan(plan)
        , m_pages(pages)
        , m_report(report)
        , m_headers(report.headers())
        , m_graphType(Graph::typeOfKind(report.kind()))
    {
    }

    void summary(const QStringList& limits, const QList<SummaryRow>& rows);
    void record(const Section& r);

private:
    void newPage()
    {
        if (m_page > 0)
            m_pdf.newPage();
        ++m_page;
        m_y = m_plan.body.top();
        m_painter.setFont(font(8));
        m_painter.setPen(Qt::black);
        const QRectF footer(m_plan.body.left(), m_plan.body.bottom(), m_plan.body.width(),
                            FooterHeight);
        m_painter.drawText(footer, Qt::AlignHCenter | Qt::AlignBottom,
                           tr("Page %1 of %2").arg(m_page).arg(m_pages));
    }
    void line(const QString& text, const QFont& f, qreal height = LineHeight)
    {
        m_painter.setFont(f);
        m_painter.setPen(Qt::black);
        m_painter.drawText(QRectF(m_plan.body.left(), m_y, m_plan.body.width(), height),
                           Qt::AlignLeft | Qt::AlignVCenter, text);
        m_y += height;
    }
    // One table row; `widths` are shares of the body width. A red cell marks a failure.
    void row(const QStringList& cells, const QList<qreal>& widths, bool header,
             const QList<bool>& red = {})
    {
        m_painter.setFont(font(7.5, header));
        qreal x = m_plan.body.left();
        for (int i = 0; i < cells.size() && i < widths.size(); ++i) {
            const qreal w = widths.at(i) * m_plan.body.width();
            m_painter.setPen(red.value(i) ? QColor(200, 0, 0) : QColor(Qt::black));
            const QRectF cell(x + 2, m_y, w - 4, RowHeight);
            m_painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter,
                               QFontMetricsF(m_painter.font())
                                   .elidedText(cells.at(i), Qt::ElideRight, cell.width()));
            x += w;
        }
        m_y += RowHeight;
        if (header) {
            m_painter.setPen(Qt::black);
            m_painter.drawLine(QPointF(m_plan.body.left(), m_y), QPointF(m_plan.body.right(), m_y));
        }
    }
    void graph(const Section& r, qreal height);

    QPainter& m_painter;
    QPdfWriter& m_pdf;
    const Plan& m_plan;
    int m_pages;
    const Report& m_report;
    const QStringList m_headers; // the channel table's column titles
    const int m_graphType;
    int m_page = 0;
    qreal m_y = 0;
};

void Writer::summary(const QStringList& limits, const QList<SummaryRow>& rows)
{
    newPage();
    line(tr("Velumin measurement report"), font(15, true), 2 * LineHeight);
    const QFont body = font(9);
    const MeterIdentity& identity = m_report.identity();
    line(tr("Product: %1").arg(identity.product), body);
    line(tr("Serial number: %1").arg(identity.serial), body);
    line(tr("Hardware version: %1").arg(identity.hardware), body);
    line(tr("Firmware version: %1").arg(identity.firmware), body);
    line(tr("Exported: %1").arg(m_report.made().toString(QStringLiteral("yyyy-MM-dd hh:mm"))),
         body);
    if (limits.isEmpty())
        line(tr("Limits: none"), body);
    for (int i = 0; i < limits.size(); ++i)
        line((i == 0 ? tr("Limits: ") : QStringLiteral("    ")) + limits.at(i), body);
    m_y += LineHeight;

    const QStringList headers{tr("No"),      tr("Name"),   tr("Date"),   tr("Verdict"),
                              tr("Failing"), tr("Lowest"), tr("Highest")};
    const QList<qreal> widths{0.07, 0.2, 0.22, 0.1, 0.21, 0.1, 0.1};
    row(headers, widths, true);
    int onPage = 0;
    int capacity = m_plan.summaryFirstRows;
    for (const SummaryRow& s : rows) {
        if (onPage == capacity) {
            newPage();
            row(headers, widths, true);
            onPage = 0;
            capacity = m_plan.summaryNextRows;
        }
        row(s.cells, widths, false, {false, false, false, s.failed, s.failed});
        ++onPage;
    }
}

void Writer::graph(const Section& r, qreal height)
{
    const Graph::Layout* layout = Graph::layoutForType(m_graphType);
    if (!layout)
        return;
    const Graph::Picture picture =
        Graph::picture(m_graphType, r.readings, r.graphLabels, m_report.displayFreq());
    // The window's picture, scaled into the page as vectors.
    const qreal scale = std::min(m_plan.body.width() / layout->width, height / layout->height);
    m_painter.save();
    m_painter.translate(m_plan.body.left(), m_y);
    m_painter.scale(scale, scale);
    QFont f = font(9);
    f.setPixelSize(12);
    m_painter.setFont(f);
    Graph::paint(m_painter, picture, Graph::fittedFont(f, picture, nullptr));
    m_painter.restore();
    m_y += height;
}

void Writer::record(const Section& r)
{
    newPage();
    QString title = tr("Record %1").arg(r.number);
    if (!r.name.isEmpty())
        title += QStringLiteral(": ") + r.name;
    title += QStringLiteral("    ") + r.dateTime;
    if (!r.verdict.isEmpty())
        title += QStringLiteral("    ") + r.verdict;
    line(title, font(11, true), 2 * LineHeight);
    graph(r, m_plan.body.height() * GraphShare);
    m_y += LineHeight;

    QStringList headers = m_headers;
    QList<qreal> widths{0.1, 0.2, 0.25, 0.17};
    const bool judged = std::any_of(r.channels.cbegin(), r.channels.cend(),
                                    [](const ChannelRow& c) { return !c.verdict.isEmpty(); });
    if (judged) {
        headers << tr("Verdict") << tr("Margin");
        widths << 0.13 << 0.15;
    }
    row(headers, widths, true);
    int onPage = 0;
    int capacity = m_plan.recordFirstRows;
    for (const ChannelRow& c : r.channels) {
        if (onPage == capacity) {
            newPage();
            line(title, font(9, true));
            row(headers, widths, true);
            onPage = 0;
            capacity = m_plan.recordNextRows;
        }
        QStringList cells = c.cells;
        while (cells.size() < m_headers.size())
            cells << QString();
        const bool failed = !c.verdict.isEmpty() && c.verdict != QLatin1String("PASS");
        QList<bool> red(cells.size(), false);
        if (judged) {
            cells << c.verdict << c.margin;
            red << failed << failed;
            if (failed && red.size() > 3)
                red[3] = true;
        }
        row(cells, widths, false, red);
        ++onPage;
    }
}

} // namespace

Outcome write(const Report& report, QIODevice& out, QString* error,
              const ReportFormats::Progress& progress)
{
    QPdfWriter pdf(&out);
    pdf.setResolution(Dpi);
    pdf.setPageLayout(QPageLayout(localePaper(), QPageLayout::Portrait,
                                  QMarginsF(Margin, Margin, Margin, Margin), QPageLayout::Point));
    pdf.setTitle(tr("Velumin measurement report"));
    pdf.setCreator(QStringLiteral("Velumin"));
    const QStringList limits =
        report.limits().enabled
            ? ReportContent::limitsLines(
                  report.limits(), {report.kind(), report.displayFreq(), report.identity().product})
            : QStringList();
    const Plan p = plan(pdf.pageLayout().paintRectPixels(Dpi), limits);
    // Every page says how many there are: each record is built once first to count its pages,
    // and only its summary row is kept.
    const int count = report.count();
    QList<SummaryRow> rows;
    rows.reserve(count);
    int pages = p.summaryPages(count);
    for (int i = 0; i < count; ++i) {
        const Section rec = section(report, i);
        rows.append(summaryRow(rec));
        pages += p.recordPages(rec);
    }

    QPainter painter;
    if (!painter.begin(&pdf)) {
        *error = tr("the PDF could not be started");
        return Outcome::Failed;
    }
    Writer writer(painter, pdf, p, pages, report);
    writer.summary(limits, rows);
    rows = {};
    for (int i = 0; i < count; ++i) {
        writer.record(section(report, i));
        if (progress && !progress(i + 1, count)) {
            painter.end();
            return Outcome::Cancelled;
        }
    }
    painter.end();
    return Outcome::Written;
}

} // namespace PdfReport
