#pragma once

#include <QColor>
#include <QLine>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

class QFont;
class QPaintDevice;
class QPainter;
class ShapedText;

// The bar graph of one record as a list of drawing primitives, built by a pure function so that
// every position, text and colour can be checked without painting.
namespace Graph {

struct Primitive {
    enum Shape { Line, Rect, Text };
    Shape shape = Line;
    // Line: drawn `width` pixels wide, in `colour`.
    QLine line;
    Qt::PenStyle style = Qt::SolidLine;
    int width = 1;
    // Rect: filled, no outline.
    QRect rect;
    // Text: `at` is the left end of its baseline; it is turned about that point by `angle`
    // degrees (negative: anticlockwise on screen).
    QPoint at;
    int angle = 0;
    QString text;
    // Text: the most pixels it may run along its baseline before it meets the axis or the
    // next text; 0 for no limit.
    int room = 0;
    // Fill of a Rect, pen of a Text.
    QColor colour = Qt::black;
};

using Picture = QList<Primitive>;

// Limits::HighClamp above Limits::High, else the reading itself.
double clamped(double dbm);

// "High", "Low" or the reading with at most six significant digits.
QString valueText(double dbm);

// The colour of the limit lines, and of the bars and texts that fail.
inline const QColor LimitColour = QColor(220, 0, 0);

// What a graph shows besides its readings: the limits in force and the bars that fail them, and
// the loss of each channel where a reference is in force. Left empty: the plain graph.
struct Marks {
    // The global limits, as lines across every panel (limitLines), drawn after everything else.
    std::optional<double> min;
    std::optional<double> max;
    // Indexes of the readings whose bars and value texts are drawn in LimitColour.
    QSet<int> failing;
    // One text per reading, empty for none, in a row of their own under each panel's channel
    // texts; the lower panel moves down to make room. Empty: no such rows.
    QStringList losses;
    QSet<int> failingLosses; // indexes of the loss texts drawn in LimitColour
    QColor grid = Qt::black; // of the dashed lines at every 10 dB
};

// Everything a graph of `type` draws, in drawing order: each panel's axis, then its bars and
// their loss texts; then the limit lines. Readings, labels and marks are indexed over the whole
// record; missing ones draw nothing. Empty for a type outside 0..12.
Picture picture(int type, const QList<double>& readings, const QStringList& labels,
                bool displayFreq, const Marks& marks = {});

// The size that picture needs: the kind's window size, taller by the loss rows. Empty for a type
// outside 0..12.
QSize pictureSize(int type, const Marks& marks = {});

// The global minimum and maximum of the limits in force, as dashed lines two pixels wide across
// every panel of a graph of `type` without loss rows.
Picture limitLines(int type, std::optional<double> min, std::optional<double> max);

// `font`, made smaller where needed so that every text of `picture` that has a room fits it on
// `device`: the positions leave little room, and desktop fonts vary.
QFont fittedFont(const QFont& font, const Picture& picture, QPaintDevice* device);

// Draws `picture`: texts that have a room in `fittedFont`, the others in the painter's font.
// The painter's own pen is not relied on. With `shaped`, the texts are shaped once there and
// drawn as glyph runs, for a painter that draws many pictures.
void paint(QPainter& painter, const Picture& picture, const QFont& fittedFont,
           ShapedText* shaped = nullptr);

} // namespace Graph
