#pragma once

#include "graph/shapedtext.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <functional>

class QPagedPaintDevice;
class QPainter;

// The pages of the PDF report as a flow from top to bottom: wrapped texts, tables whose rows grow
// to hold their texts, and pictures, each starting a new page where it no longer fits, with a
// footer on every page. Without a painter it only lays the pages out, so that the report can
// count its pages before it draws them with the same code.
class PdfPages {
public:
    // All sizes in points.
    static constexpr qreal LineHeight = 13;
    static constexpr qreal RowHeight = 11.5;

    static QFont font(qreal points, bool bold = false);

    struct Cell {
        QString text;
        bool red = false;
    };

    // Column widths in points, and the height of the header row, whose titles may wrap.
    struct Table {
        QStringList titles;
        QList<qreal> widths;
        qreal headerHeight = RowHeight;
        // Columns whose texts may need more than one line; the others are sized to hold theirs.
        QList<bool> wraps;
    };

    // A table as wide as the page: each column as wide as its widest title word and sample text
    // (the samples are every text a column can hold, or its longest), the rest of the width
    // shared out among them, or given to `stretch` alone where that is a column.
    Table table(const QStringList& titles, const QList<QStringList>& samples,
                const QList<bool>& wraps, int stretch = -1) const;

    // `page` is the part of the page inside the margins, in the painter's coordinates; the footer
    // takes its foot, `footer` on the left and the page numbering on the right. `painter` null:
    // lay out only.
    PdfPages(QPainter* painter, QPagedPaintDevice& device, const QRectF& page,
             const QString& footer, int pageCount);

    bool drawing() const { return m_painter; }
    QPainter* painter() const { return m_painter; }
    ShapedText& shaped() const { return m_shaped; }
    int pages() const { return m_page; }
    qreal width() const { return m_body.width(); }
    qreal left() const { return m_body.left(); }
    qreal y() const { return m_y; }
    // What is left of the page below the flow.
    qreal room() const { return m_body.bottom() - m_y; }

    void newPage();
    // Goes on on a new page unless `height` fits below the flow.
    void need(qreal height);
    void space(qreal height) { m_y += height; }

    qreal textHeight(const QString& text, const QFont& font, qreal width) const;
    // A text wrapped to `width` (0: the page's) from `indent`, on the next page when it does not
    // fit here.
    void text(const QString& text, const QFont& font, const QColor& colour = Qt::black,
              qreal indent = 0, qreal width = 0);
    // Room of `height` across the page for a picture, on a new page when it does not fit here;
    // the caller draws into it when drawing.
    QRectF take(qreal height);

    // The table's header row, on the next page with `heading` before it when it does not fit
    // here with one row below it.
    void header(const Table& table, const std::function<void()>& heading = {});
    // One row, on the next page with `heading` and the header again when it does not fit here.
    void row(const Table& table, const QList<Cell>& cells, const std::function<void()>& heading);

private:
    qreal rowHeight(const Table& table, const QList<Cell>& cells) const;
    void drawHeader(const Table& table);
    void drawFooter();

    QPainter* m_painter;
    QPagedPaintDevice& m_device;
    QRectF m_body; // above the footer
    QRectF m_foot;
    QString m_footer;
    int m_pageCount;
    int m_page = 0;
    qreal m_y = 0;
    const QFont m_cellFont;
    const QFont m_headerFont;
    // Every text of the pages: each is shaped once.
    mutable ShapedText m_shaped;
};
