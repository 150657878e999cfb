#include "files/pdfpages.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// Between a cell's text and its column's edges.
constexpr qreal Pad = 2;
constexpr qreal FootGap = 6;
const QColor Red(200, 0, 0);
const QColor Rule(170, 170, 170);

// The spacing of the lines of a text outside the tables.
qreal spacingOf(const QFont& font, QPaintDevice* device)
{
    return std::ceil(QFontMetricsF(font, device).height() * 1.3);
}

QString numbering(int page, int pages)
{
    return QCoreApplication::translate("PdfReport", "Page %1 of %2").arg(page).arg(pages);
}

} // namespace

QFont PdfPages::font(qreal points, bool bold)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

PdfPages::PdfPages(QPainter* painter, QPagedPaintDevice& device, const QRectF& page,
                   const QString& footer, int pageCount)
    : m_painter(painter)
    , m_device(device)
    , m_footer(footer)
    , m_pageCount(pageCount)
    , m_cellFont(font(7.5))
    , m_headerFont(font(7.5, true))
    , m_shaped(&device)
{
    // The footer is the same on every page: its text wraps beside the widest page numbering.
    const QFont f = font(7.5);
    const qreal beside = QFontMetricsF(f, &device).horizontalAdvance(numbering(8888, 8888));
    const qreal spacing = spacingOf(f, &device);
    const qreal height = m_shaped.height(footer, f, page.width() - beside - 3 * FootGap, spacing);
    const qreal foot = std::max(height, spacing) + FootGap;
    m_body = page.adjusted(0, 0, 0, -foot);
    m_foot = QRectF(page.left(), m_body.bottom(), page.width(), foot);
    m_y = m_body.top();
}

void PdfPages::newPage()
{
    if (m_painter && m_page > 0)
        m_device.newPage();
    ++m_page;
    m_y = m_body.top();
    if (m_painter)
        drawFooter();
}

void PdfPages::drawFooter()
{
    QPainter& p = *m_painter;
    p.setPen(QPen(Rule, 0.5));
    p.drawLine(QPointF(m_foot.left(), m_foot.top() + FootGap / 2),
               QPointF(m_foot.right(), m_foot.top() + FootGap / 2));
    const QFont f = font(7.5);
    p.setFont(f);
    p.setPen(Qt::black);
    const QString pageText = numbering(m_page, m_pageCount);
    const QRectF below = m_foot.adjusted(0, FootGap, 0, 0);
    p.drawText(below, Qt::AlignRight | Qt::AlignTop, pageText);
    const qreal beside = QFontMetricsF(f, &m_device).horizontalAdvance(numbering(8888, 8888));
    m_shaped.draw(p, below.topLeft(), m_footer, f, below.width() - beside - 3 * FootGap,
                  spacingOf(f, &m_device));
}

void PdfPages::need(qreal height)
{
    if (m_page == 0 || m_y + height > m_body.bottom() + 0.01)
        newPage();
}

qreal PdfPages::textHeight(const QString& text, const QFont& font, qreal width) const
{
    return m_shaped.height(text, font, width, spacingOf(font, &m_device));
}

void PdfPages::text(const QString& text, const QFont& font, const QColor& colour, qreal indent,
                    qreal width)
{
    if (width <= 0)
        width = m_body.width() - indent;
    const qreal height = textHeight(text, font, width);
    need(height);
    if (m_painter) {
        m_painter->setPen(colour);
        m_shaped.draw(*m_painter, QPointF(m_body.left() + indent, m_y), text, font, width,
                      spacingOf(font, &m_device));
    }
    m_y += height;
}

QRectF PdfPages::take(qreal height)
{
    need(height);
    const QRectF rect(m_body.left(), m_y, m_body.width(), height);
    m_y += height;
    return rect;
}

PdfPages::Table PdfPages::table(const QStringList& titles, const QList<QStringList>& samples,
                                const QList<bool>& wraps, int stretch) const
{
    const QFontMetricsF header(m_headerFont, &m_device);
    const QFontMetricsF cells(m_cellFont, &m_device);
    Table t{titles, {}, RowHeight, wraps};
    // Each column at least as wide as its texts and its widest title word; then as many titles
    // on one line as the width allows, the shortest first; what is left shared out.
    QList<qreal> whole;
    for (int i = 0; i < titles.size(); ++i) {
        qreal text = 0;
        for (const QString& s : samples.value(i))
            text = std::max(text, cells.horizontalAdvance(s));
        qreal word = 0;
        for (const QString& w : titles.at(i).split(QLatin1Char(' ')))
            word = std::max(word, header.horizontalAdvance(w));
        t.widths << std::max(text, word) + 2 * Pad + 1;
        whole << std::max(text, header.horizontalAdvance(titles.at(i))) + 2 * Pad + 1;
    }
    const auto sum = [](const QList<qreal>& l) {
        return std::accumulate(l.cbegin(), l.cend(), qreal(0));
    };
    QList<int> order(titles.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return whole.at(a) - t.widths.at(a) < whole.at(b) - t.widths.at(b);
    });
    for (int i : order) {
        if (sum(t.widths) - t.widths.at(i) + whole.at(i) <= m_body.width())
            t.widths[i] = whole.at(i);
    }
    const qreal natural = sum(t.widths);
    const qreal extra = m_body.width() - natural;
    if (stretch >= 0 && stretch < t.widths.size() && extra > 0) {
        t.widths[stretch] += extra;
    } else {
        // Shared out in proportion; where the texts do not fit at all, every column shrinks
        // alike.
        for (qreal& w : t.widths)
            w *= m_body.width() / natural;
    }
    for (int i = 0; i < titles.size(); ++i) {
        const qreal h = m_shaped.height(titles.at(i), m_headerFont, t.widths.at(i) - 2 * Pad);
        t.headerHeight = std::max(t.headerHeight, h + RowHeight - header.height());
    }
    return t;
}

qreal PdfPages::rowHeight(const Table& table, const QList<Cell>& cells) const
{
    qreal height = RowHeight;
    const QFontMetricsF metrics(m_cellFont, &m_device);
    for (int i = 0; i < cells.size() && i < table.widths.size(); ++i) {
        const qreal width = table.widths.at(i) - 2 * Pad;
        if (table.wraps.value(i) && metrics.horizontalAdvance(cells.at(i).text) > width)
            height = std::max(height, m_shaped.height(cells.at(i).text, m_cellFont, width) +
                                          RowHeight - metrics.height());
    }
    return height;
}

void PdfPages::header(const Table& table, const std::function<void()>& heading)
{
    if (m_page == 0 || m_y + table.headerHeight + RowHeight > m_body.bottom()) {
        newPage();
        if (heading)
            heading();
    }
    drawHeader(table);
}

void PdfPages::drawHeader(const Table& table)
{
    if (m_painter) {
        const QFont& f = m_headerFont;
        const qreal lineHeight = QFontMetricsF(f, &m_device).height();
        m_painter->setPen(Qt::black);
        qreal x = m_body.left();
        for (int i = 0; i < table.titles.size() && i < table.widths.size(); ++i) {
            const QString& title = table.titles.at(i);
            const qreal width = table.widths.at(i) - 2 * Pad;
            // Titles of one line or two share their foot.
            const qreal top = m_y + table.headerHeight - m_shaped.height(title, f, width) -
                              (RowHeight - lineHeight) / 2;
            m_shaped.draw(*m_painter, QPointF(x + Pad, top), title, f, width);
            x += table.widths.at(i);
        }
        m_painter->setPen(QPen(Qt::black, 0.5));
        const qreal under = m_y + table.headerHeight;
        m_painter->drawLine(QPointF(m_body.left(), under), QPointF(m_body.right(), under));
    }
    m_y += table.headerHeight;
}

void PdfPages::row(const Table& table, const QList<Cell>& cells,
                   const std::function<void()>& heading)
{
    const qreal height = rowHeight(table, cells);
    if (m_page == 0 || m_y + height > m_body.bottom() + 0.01) {
        newPage();
        if (heading)
            heading();
        drawHeader(table);
    }
    if (m_painter) {
        const QFont& f = m_cellFont;
        const QFontMetricsF metrics(f, &m_device);
        // Each text's first line centred in a row of one line.
        const qreal top = m_y + (RowHeight - metrics.height()) / 2;
        bool red = false;
        m_painter->setPen(Qt::black);
        qreal x = m_body.left();
        for (int i = 0; i < cells.size() && i < table.widths.size(); ++i) {
            const Cell& c = cells.at(i);
            if (!c.text.isEmpty()) {
                if (c.red != red) {
                    red = c.red;
                    m_painter->setPen(red ? Red : QColor(Qt::black));
                }
                const qreal width = table.widths.at(i) - 2 * Pad;
                const bool wrapped =
                    table.wraps.value(i) && metrics.horizontalAdvance(c.text) > width;
                m_shaped.draw(*m_painter, QPointF(x + Pad, top), c.text, f, wrapped ? width : 0);
            }
            x += table.widths.at(i);
        }
    }
    m_y += height;
}
