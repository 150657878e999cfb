#include "graph/shapedtext.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

const ShapedText::Shaped& ShapedText::shaped(const QString& text, const QFont& font, qreal width,
                                             qreal spacing)
{
    const Key key{text, font, width, spacing};
    auto found = m_shaped.constFind(key);
    if (found != m_shaped.cend())
        return *found;
    if (spacing <= 0)
        spacing = QFontMetricsF(font, m_device).height();
    QTextLayout layout(text, font, m_device);
    QTextOption option;
    option.setWrapMode(width > 0 ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    layout.setTextOption(option);
    Shaped out;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        if (width > 0)
            line.setLineWidth(std::max<qreal>(1, width));
        line.setPosition(QPointF(0, out.height + (spacing - line.height()) / 2));
        out.height += spacing;
    }
    layout.endLayout();
    out.runs = layout.glyphRuns();
    // Names and dates differ from record to record: the texts kept are bounded, and those that
    // come back are soon kept again.
    if (m_shaped.size() >= Kept)
        m_shaped.clear();
    return *m_shaped.insert(key, out);
}

void ShapedText::draw(QPainter& painter, const QPointF& topLeft, const QString& text,
                      const QFont& font, qreal width, qreal spacing)
{
    for (const QGlyphRun& run : shaped(text, font, width, spacing).runs)
        painter.drawGlyphRun(topLeft, run);
}

qreal ShapedText::height(const QString& text, const QFont& font, qreal width, qreal spacing)
{
    return shaped(text, font, width, spacing).height;
}
