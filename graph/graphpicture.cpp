#include "graph/graphpicture.h"

#include "data/kinds.h"
#include "data/limits.h"
#include "graph/graphtable.h"
#include "graph/shapedtext.h"

#include <algorithm>

#include <QCoreApplication>
#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

#include <iterator>

namespace Graph {

namespace {

// Pixels per dB on the vertical scale.
constexpr int PixelsPerDb = 4;
// The x of a panel's vertical axis, and the spacing of its bars.
constexpr int AxisX = 50;
constexpr int BarPitch = 20;
// A panel's loss row under its channel texts: the texts' room, and the height the row adds with
// the gap that keeps it off the panel below.
constexpr int LossRoom = 50;
// Between a loss row and the panel below it, or the foot of the picture.
constexpr int PanelGap = 12;

Primitive line(int x1, int y1, int x2, int y2, Qt::PenStyle style)
{
    Primitive p;
    p.shape = Primitive::Line;
    p.line = QLine(x1, y1, x2, y2);
    p.style = style;
    return p;
}

Primitive text(const QString& s, int x, int y, int angle = 0, const QColor& colour = Qt::black,
               int room = 0)
{
    Primitive p;
    p.shape = Primitive::Text;
    p.at = QPoint(x, y);
    p.angle = angle;
    p.text = s;
    p.colour = colour;
    p.room = room;
    return p;
}

Primitive bar(const QRect& rect, const QColor& colour)
{
    Primitive p;
    p.shape = Primitive::Rect;
    p.rect = rect;
    p.colour = colour;
    return p;
}

// The y of the horizontal axis, and so of every bar's foot, below the panel's top.
int baseLine(bool shortAxis)
{
    return shortAxis ? 240 : 280;
}

void addAxis(Picture& out, const Panel& panel, bool shortAxis, bool mpo, bool displayFreq,
             const QColor& grid)
{
    const int y0 = panel.offset;
    const int end = AxisX + BarPitch * panel.positions;
    const int base = y0 + baseLine(shortAxis);
    out.append(text(QStringLiteral("[dBm]"), 5, y0 + 20));
    // 10 dB every 40 pixels from +10 dBm down to the axis.
    static const char* const scale[] = {"+10", "  0", "-10", "-20", "-30", "-40", "-50"};
    for (int i = 0; i < int(std::size(scale)) && y0 + 40 + 40 * i <= base; ++i)
        out.append(text(QLatin1String(scale[i]), 20, y0 + 40 + 40 * i));
    if (!mpo)
        out.append(
            text(displayFreq ? QStringLiteral("[THz]") : QStringLiteral("[nm]"), end, base + 20));
    out.append(line(AxisX, base, end, base, Qt::SolidLine));
    out.append(line(AxisX, y0 + 20, AxisX, base, Qt::SolidLine));
    for (int y = y0 + 40; y < base; y += 40) {
        out.append(line(AxisX, y, end, y, Qt::DashLine));
        out.last().colour = grid;
    }
}

// The y of the channel texts' foot: they read upwards from there.
int channelBase(const Layout& layout, const Panel& panel)
{
    return panel.offset + layout.labelBase + 10;
}

// The top of a panel's loss row, below the channel texts or the fibre numbers.
int lossTop(const Layout& layout, const Panel& panel, bool mpo)
{
    return mpo ? panel.offset + layout.labelBase - 24 : channelBase(layout, panel) + 6;
}

void addBars(Picture& out, const Layout& layout, const Panel& panel, const QList<double>& readings,
             const QStringList& labels, const QSet<int>& failing, bool shortAxis, bool mpo)
{
    const int y0 = panel.offset;
    const int base = y0 + baseLine(shortAxis);
    // The dBm level at the axis: -50 on the standard scale, -40 on the short one.
    const double floor = shortAxis ? Limits::ShortLow : Limits::Low;
    // Channel texts read upwards from below the axis and must stop short of it.
    const int channelY = channelBase(layout, panel);
    const int room = channelY - base - 3;
    for (int j = 0; j < panel.bars; ++j) {
        const int k = panel.first + j;
        if (k >= readings.size())
            break;
        const int x = 63 + BarPitch * j;
        const double v = clamped(readings.at(k));
        const double scaled = (v - floor) * PixelsPerDb;
        // Truncated toward zero; a reading at or below the axis still shows a sliver.
        int h = scaled > 0 ? int(scaled) : 0;
        if (h <= 0)
            h = 2;
        const QColor colour = failing.contains(k) ? LimitColour : QColor(Qt::blue);
        out.append(bar(QRect(x - 8, base - h, 10, h), colour));
        out.append(text(valueText(v), x, base - h - 5, -80, colour));
        const QString number = QString::number(k + 1);
        // Fibre numbers stand side by side and must not run into the next one.
        if (mpo)
            out.append(text(QLatin1Char('#') + number, x - 11, y0 + layout.labelBase - 30, 0,
                            Qt::black, BarPitch - 2));
        else
            out.append(text(QStringLiteral("#%1 %2").arg(number, labels.value(k)), x + 2, channelY,
                            -90, Qt::black, room));
    }
}

// The loss texts of a panel's bars, reading upwards like the channel texts, in a row under them
// headed "Loss [dB]".
void addLosses(Picture& out, const Layout& layout, const Panel& panel, bool mpo, const Marks& marks)
{
    const int top = lossTop(layout, panel, mpo);
    const int foot = top + LossRoom;
    out.append(text(QCoreApplication::translate("GraphWidget", "Loss"), 5, top + 20));
    out.append(text(QStringLiteral("[dB]"), 5, top + 36));
    for (int j = 0; j < panel.bars; ++j) {
        const int k = panel.first + j;
        const QString loss = marks.losses.value(k);
        if (loss.isEmpty())
            continue;
        const QColor colour = marks.failingLosses.contains(k) ? LimitColour : QColor(Qt::black);
        out.append(text(loss, 63 + BarPitch * j + 2, foot, -90, colour, LossRoom));
    }
}

// The limit lines of one panel, placed as it is.
void addLimitLines(Picture& out, const Layout& layout, const Panel& panel,
                   std::optional<double> min, std::optional<double> max)
{
    const double floor = layout.shortAxis ? Limits::ShortLow : Limits::Low;
    const int base = panel.offset + baseLine(layout.shortAxis);
    const int end = AxisX + BarPitch * panel.positions;
    for (const std::optional<double>& limit : {min, max}) {
        if (!limit)
            continue;
        // Kept on the axis: a limit beyond the scale draws at its end. Clamped while still a
        // double: a limit such as 1e308 has no int.
        const double above =
            std::clamp((*limit - floor) * PixelsPerDb, 0.0, double(base - panel.offset - 20));
        const int y = base - int(above);
        Primitive l = line(AxisX, y, end, y, Qt::DashLine);
        l.colour = LimitColour;
        l.width = 2;
        out.append(l);
    }
}

// Panel p of `layout` where the panels above it carry loss rows: moved down as far as the panel
// above it moved, and further where its loss row would reach into this one. Only channel graphs
// have more than one panel.
Panel placed(const Layout& layout, int p, bool lossRows)
{
    Panel panel = layout.panels[p];
    if (!lossRows || p == 0)
        return panel;
    const Panel above = placed(layout, p - 1, true);
    panel.offset = std::max(panel.offset + above.offset - layout.panels[p - 1].offset,
                            lossTop(layout, above, false) + LossRoom + PanelGap);
    return panel;
}

} // namespace

double clamped(double dbm)
{
    return dbm > Limits::High ? Limits::HighClamp : dbm;
}

QString valueText(double dbm)
{
    if (dbm > Limits::High)
        return QCoreApplication::translate("GraphWidget", "High");
    if (dbm >= Limits::Low)
        return QString::number(dbm, 'g', 6);
    return QCoreApplication::translate("GraphWidget", "Low");
}

Picture picture(int type, const QList<double>& readings, const QStringList& labels,
                bool displayFreq, const Marks& marks)
{
    Picture out;
    const Layout* layout = layoutForType(type);
    if (!layout)
        return out;
    const bool shortAxis = layout->shortAxis;
    // MPO fibres carry only their number under the bar and no unit at the axis end.
    const bool mpo = isMpoKind(kindOfType(type));
    const bool lossRows = !marks.losses.isEmpty();
    for (int p = 0; p < layout->panelCount; ++p) {
        const Panel panel = placed(*layout, p, lossRows);
        addAxis(out, panel, shortAxis, mpo, displayFreq, marks.grid);
        addBars(out, *layout, panel, readings, labels, marks.failing, shortAxis, mpo);
        if (lossRows)
            addLosses(out, *layout, panel, mpo, marks);
    }
    for (int p = 0; p < layout->panelCount; ++p)
        addLimitLines(out, *layout, placed(*layout, p, lossRows), marks.min, marks.max);
    return out;
}

QSize pictureSize(int type, const Marks& marks)
{
    const Layout* layout = layoutForType(type);
    if (!layout)
        return {};
    if (marks.losses.isEmpty())
        return {layout->width, layout->height};
    const int last = layout->panelCount - 1;
    const Panel panel = placed(*layout, last, true);
    return {layout->width,
            std::max(layout->height + panel.offset - layout->panels[last].offset,
                     lossTop(*layout, panel, isMpoKind(kindOfType(type))) + LossRoom + PanelGap)};
}

Picture limitLines(int type, std::optional<double> min, std::optional<double> max)
{
    Picture out;
    const Layout* layout = layoutForType(type);
    if (!layout)
        return out;
    for (int p = 0; p < layout->panelCount; ++p)
        addLimitLines(out, *layout, layout->panels[p], min, max);
    return out;
}

QFont fittedFont(const QFont& font, const Picture& picture, QPaintDevice* device)
{
    // Below this the texts are no longer legible; they may then run into the bars.
    constexpr int SmallestPixels = 7;
    const auto fits = [&picture, device](const QFont& f) {
        const QFontMetrics metrics(f, device);
        for (const Primitive& p : picture) {
            if (p.shape == Primitive::Text && p.room > 0 &&
                metrics.horizontalAdvance(p.text) > p.room)
                return false;
        }
        return true;
    };
    if (fits(font))
        return font;
    // A little smaller first; then narrower letters, which keep the texts nearly as tall as
    // the rest; then smaller narrow ones.
    const int pixels = QFontInfo(font).pixelSize();
    QFont fitted = font;
    for (int px = pixels - 1; px >= pixels - 2 && px >= SmallestPixels; --px) {
        fitted.setPixelSize(px);
        if (fits(fitted))
            return fitted;
    }
    fitted.setStretch(QFont::Condensed);
    for (int px = pixels; px > SmallestPixels; --px) {
        fitted.setPixelSize(px);
        if (fits(fitted))
            return fitted;
    }
    fitted.setPixelSize(SmallestPixels);
    return fitted;
}

void paint(QPainter& painter, const Picture& picture, const QFont& fittedFont, ShapedText* shaped)
{
    const QFont font = painter.font();
    // Shaped texts are placed by their top, one ascent above the baseline.
    const qreal ascent = shaped ? QFontMetricsF(font, painter.device()).ascent() : 0;
    const qreal fittedAscent = shaped ? QFontMetricsF(fittedFont, painter.device()).ascent() : 0;
    for (const Primitive& p : picture) {
        switch (p.shape) {
        case Primitive::Line:
            painter.setPen(QPen(QBrush(p.colour), p.width, p.style, Qt::SquareCap, Qt::BevelJoin));
            painter.drawLine(p.line);
            break;
        case Primitive::Rect:
            painter.fillRect(p.rect, QBrush(p.colour, Qt::SolidPattern));
            break;
        case Primitive::Text:
            painter.save();
            painter.translate(p.at);
            painter.rotate(p.angle);
            painter.setPen(p.colour);
            if (shaped) {
                shaped->draw(painter, QPointF(0, p.room > 0 ? -fittedAscent : -ascent), p.text,
                             p.room > 0 ? fittedFont : font);
            } else {
                if (p.room > 0)
                    painter.setFont(fittedFont);
                painter.drawText(0, 0, p.text);
            }
            painter.restore();
            break;
        }
    }
}

} // namespace Graph
