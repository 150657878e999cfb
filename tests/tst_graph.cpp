#include "data/catalogue.h"
#include "graph/graphpicture.h"
#include "graph/graphtable.h"
#include "graph/graphwidget.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPalette>
#include <QLoggingCategory>
#include <QTest>

// The bar graph of one record: the layout of each kind, the labels it copies, and every line,
// bar and text of its picture, checked as data; then one graph painted for real.
namespace {

using Graph::Picture;
using Graph::Primitive;

// The picture a graph of `kind` draws for `readings`, labelled as the window labels it.
Picture pictureOf(int kind, const QList<double>& readings, bool displayFreq = false,
                  const QString& totalLabel = QString())
{
    const Graph::Layout* layout = Graph::layoutForKind(kind);
    if (!layout)
        qFatal("no graph for kind %d", kind);
    return Graph::picture(Graph::typeOfKind(kind), readings,
                          Graph::labels(kind, displayFreq, totalLabel), displayFreq);
}

// `count` readings of -60 dBm, with reading k set to v.
QList<double> readingsWith(int kind, int k = -1, double v = 0)
{
    QList<double> readings(readingsUsed(kind), -60.0);
    if (k >= 0)
        readings[k] = v;
    return readings;
}

QList<Primitive> ofShape(const Picture& picture, Primitive::Shape shape)
{
    QList<Primitive> out;
    for (const Primitive& p : picture) {
        if (p.shape == shape)
            out.append(p);
    }
    return out;
}

QList<Primitive> bars(const Picture& picture)
{
    return ofShape(picture, Primitive::Rect);
}

// The texts above the bars: the only blue ones.
QList<Primitive> valueTexts(const Picture& picture)
{
    QList<Primitive> out;
    for (const Primitive& p : ofShape(picture, Primitive::Text)) {
        if (p.colour == QColor(Qt::blue))
            out.append(p);
    }
    return out;
}

// The texts under the bars: the only ones that start with a channel number.
QList<Primitive> channelTexts(const Picture& picture)
{
    QList<Primitive> out;
    for (const Primitive& p : ofShape(picture, Primitive::Text)) {
        if (p.text.startsWith(QLatin1Char('#')))
            out.append(p);
    }
    return out;
}

QList<QLine> linesOf(const Picture& picture, Qt::PenStyle style)
{
    QList<QLine> out;
    for (const Primitive& p : ofShape(picture, Primitive::Line)) {
        if (p.style == style)
            out.append(p.line);
    }
    return out;
}

// Grid lines from the vertical axis at x 50 to `end`, at the heights given.
QList<QLine> gridLines(int end, std::initializer_list<int> ys)
{
    QList<QLine> out;
    for (int y : ys)
        out.append(QLine(50, y, end, y));
    return out;
}

// "text@x,y" for every unturned text left of the bars: the dBm scale and its heading.
QStringList scaleTexts(const Picture& picture)
{
    QStringList out;
    for (const Primitive& p : ofShape(picture, Primitive::Text)) {
        if (p.angle == 0 && p.at.x() <= 20)
            out.append(QStringLiteral("%1@%2,%3").arg(p.text).arg(p.at.x()).arg(p.at.y()));
    }
    return out;
}

int indexOf(const Picture& picture, const Primitive& wanted)
{
    for (int i = 0; i < picture.size(); ++i) {
        const Primitive& p = picture.at(i);
        if (p.shape == wanted.shape && p.rect == wanted.rect && p.at == wanted.at &&
            p.text == wanted.text && p.line == wanted.line)
            return i;
    }
    return -1;
}

} // namespace

class TestGraph : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The graph window's log line is among what is checked.
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("velumin.*.debug=true")); }
    // The limits in force cross every panel as red dashed lines at their level; a limit beyond
    // the scale stays on the axis, and without limits nothing is added.
    void limitLines_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<int>>("heights"); // above each panel's axis, per line
        QTest::newRow("CWDM18 -40..0") << 1 << QList<int>{40, 200};
        QTest::newRow("DWDM96, two panels") << 4 << QList<int>{40, 200, 40, 200};
    }
    void limitLines()
    {
        QFETCH(int, kind);
        QFETCH(QList<int>, heights);
        const int type = Graph::typeOfKind(kind);
        const Graph::Picture lines = Graph::limitLines(type, -40.0, 0.0);
        QCOMPARE(lines.size(), heights.size());
        const Graph::Picture axes = Graph::picture(type, {}, {}, false);
        QList<int> axisY; // the solid horizontal lines: each panel's axis
        for (const Graph::Primitive& p : axes) {
            if (p.shape == Graph::Primitive::Line && p.style == Qt::SolidLine &&
                p.line.y1() == p.line.y2())
                axisY << p.line.y1();
        }
        for (int i = 0; i < lines.size(); ++i) {
            QCOMPARE(lines.at(i).style, Qt::DashLine);
            QCOMPARE(lines.at(i).colour, QColor(220, 0, 0));
            QCOMPARE(lines.at(i).width, 2);
            QCOMPARE(axisY.at(i / 2) - lines.at(i).line.y1(), heights.at(i));
        }
        QVERIFY(Graph::limitLines(type, std::nullopt, std::nullopt).isEmpty());
        QCOMPARE(Graph::limitLines(type, std::nullopt, 99.0).first().line.y1(),
                 Graph::limitLines(type, std::nullopt, 20.0).first().line.y1());
        // Limits no int can hold end on the axis too: the top for the highest, the axis itself
        // for the lowest.
        QCOMPARE(Graph::limitLines(type, std::nullopt, 1e308).first().line.y1(),
                 Graph::limitLines(type, std::nullopt, 20.0).first().line.y1());
        QCOMPARE(Graph::limitLines(type, -1e308, std::nullopt).first().line.y1(), axisY.first());
    }

    // Marks add to the plain picture: failing bars and their values in red, the grid in its
    // colour, the limit lines last; without marks the picture is the plain one.
    void marks()
    {
        const int type = Graph::typeOfKind(1);
        const QList<double> readings = readingsWith(1, 2, -35.0);
        const Picture plain = pictureOf(1, readings);
        QCOMPARE(Graph::picture(type, readings, Graph::labels(1, false), false, {}).size(),
                 plain.size());
        Graph::Marks marks;
        marks.failing = {2};
        marks.min = -30.0;
        marks.grid = Qt::lightGray;
        const Picture marked =
            Graph::picture(type, readings, Graph::labels(1, false), false, marks);
        QCOMPARE(marked.size(), plain.size() + 1);
        QCOMPARE(marked.last().colour, Graph::LimitColour);
        QCOMPARE(marked.last().width, 2);
        for (int k = 0; k < 18; ++k) {
            const QColor expected = k == 2 ? Graph::LimitColour : QColor(Qt::blue);
            QCOMPARE(bars(marked).at(k).colour, expected);
            QCOMPARE(bars(marked).at(k).rect, bars(plain).at(k).rect);
        }
        QCOMPARE(linesOf(marked, Qt::DashLine).size(), linesOf(plain, Qt::DashLine).size() + 1);
        for (const Primitive& p : ofShape(marked, Primitive::Line)) {
            if (p.style == Qt::DashLine && p.colour != Graph::LimitColour)
                QCOMPARE(p.colour, QColor(Qt::lightGray));
        }
    }

    // Losses stand in a row of their own under each panel's channel texts, one under each bar;
    // the lower panel moves down below the upper row, and the picture grows to hold both.
    void lossRows_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("CWDM18") << 1;
        QTest::newRow("DWDM96, two panels") << 4;
        QTest::newRow("MPO12") << 10;
    }
    void lossRows()
    {
        QFETCH(int, kind);
        const int type = Graph::typeOfKind(kind);
        const int count = readingsUsed(kind);
        Graph::Marks marks;
        for (int k = 0; k < count; ++k)
            marks.losses << QStringLiteral("L%1").arg(k);
        marks.failingLosses = {1};
        const QList<double> readings = readingsWith(kind);
        const QStringList labels = Graph::labels(kind, false);
        const Picture marked = Graph::picture(type, readings, labels, false, marks);
        const QSize size = Graph::pictureSize(type, marks);
        QCOMPARE(size.width(), Graph::pictureSize(type).width());
        QVERIFY(size.height() > Graph::pictureSize(type).height());
        QList<Primitive> losses;
        for (const Primitive& p : ofShape(marked, Primitive::Text)) {
            if (p.text.startsWith(QLatin1Char('L')) && p.text != QLatin1String("Loss") &&
                p.text != QLatin1String("Low"))
                losses << p;
        }
        QCOMPARE(losses.size(), count);
        const QList<Primitive> rects = bars(marked);
        for (int k = 0; k < count; ++k) {
            const Primitive& loss = losses.at(k);
            QCOMPARE(loss.colour, k == 1 ? Graph::LimitColour : QColor(Qt::black));
            QCOMPARE(loss.at.x(), rects.at(k).rect.left() + 10);
            QVERIFY(loss.at.y() < size.height());
            // Below its own bar and channel text, above the bars of the panel below.
            QVERIFY(loss.at.y() - loss.room > rects.at(k).rect.bottom());
            QVERIFY(channelTexts(marked).at(k).at.y() < loss.at.y() - loss.room);
            for (const Primitive& r : rects) {
                if (r.rect.top() > rects.at(k).rect.bottom())
                    QVERIFY(r.rect.top() > loss.at.y());
            }
        }
    }

    // The window marks the bars that fail the limits in red; limits that are off leave every
    // pixel as it was.
    void widgetMarksFailingBars()
    {
        QList<double> readings(18, -20.0);
        readings[0] = -40.0;
        QList<Limits::Reading> judged;
        for (int k = 0; k < 18; ++k)
            judged.append({k + 1, readings.at(k)});
        const QStringList labels = Graph::labels(1, false);
        GraphWidget plain(0, QString(), readings.constData(), labels.constData(), false);
        GraphWidget widget(0, QString(), readings.constData(), labels.constData(), false);
        for (GraphWidget* w : {&plain, &widget})
            w->setFixedSize(460, 350);
        widget.setJudgedReadings(judged);
        Limits::LimitSet limits;
        limits.enabled = true;
        limits.min = -30;
        widget.setLimits(limits);
        QTest::ignoreMessage(QtDebugMsg, "m_device: 0");
        QImage image = widget.grab().toImage();
        // Bar 1 at -40 dBm fills x 55..64 from y 240; bar 2 at -20 dBm from y 160.
        QCOMPARE(image.pixelColor(60, 270), Graph::LimitColour);
        QCOMPARE(image.pixelColor(80, 270), QColor(Qt::blue));
        // The limit line at -30 dBm, two pixels high, between the bars.
        QCOMPARE(image.pixelColor(69, 200), Graph::LimitColour);
        limits.enabled = false;
        widget.setLimits(limits);
        QTest::ignoreMessage(QtDebugMsg, "m_device: 0");
        image = widget.grab().toImage();
        QTest::ignoreMessage(QtDebugMsg, "m_device: 0");
        QCOMPARE(image, plain.grab().toImage());
    }

    // Each kind's graph type, readings copied and fixed window size.
    void layoutPerKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("count");
        QTest::addColumn<QSize>("size");
        QTest::newRow("CWDM18") << 1 << 0 << 18 << QSize(460, 350);
        QTest::newRow("DWDM48") << 2 << 1 << 49 << QSize(1060, 370);
        QTest::newRow("Vendral8") << 3 << 3 << 5 << QSize(500, 320);
        QTest::newRow("DWDM96") << 4 << 2 << 96 << QSize(1060, 690);
        QTest::newRow("Tarnex8") << 5 << 4 << 10 << QSize(320, 360);
        QTest::newRow("Tarnex56") << 6 << 5 << 57 << QSize(670, 710);
        QTest::newRow("Tarnex57") << 7 << 6 << 58 << QSize(680, 730);
        QTest::newRow("Tarnex64") << 8 << 7 << 65 << QSize(750, 730);
        QTest::newRow("DWDM49TOTAL") << 9 << 8 << 50 << QSize(1100, 370);
        QTest::newRow("MPO12") << 10 << 9 << 12 << QSize(500, 340);
        QTest::newRow("MPO24") << 11 << 10 << 24 << QSize(600, 340);
        QTest::newRow("MPO16") << 12 << 11 << 16 << QSize(420, 340);
        QTest::newRow("MPO32") << 13 << 12 << 32 << QSize(720, 340);
    }
    void layoutPerKind()
    {
        QFETCH(int, kind);
        QFETCH(int, type);
        QFETCH(int, count);
        QFETCH(QSize, size);
        const Graph::Layout* layout = Graph::layoutForKind(kind);
        QVERIFY(layout);
        QCOMPARE(Graph::typeOfKind(kind), type);
        QCOMPARE(readingsUsed(kind), count);
        QCOMPARE(QSize(layout->width, layout->height), size);
        QCOMPARE(Graph::layoutForType(type), layout);
        // Every reading is drawn once, panel after panel.
        const Picture picture = pictureOf(kind, readingsWith(kind));
        QCOMPARE(bars(picture).size(), count);
        QCOMPARE(channelTexts(picture).size(), count);
        QCOMPARE(valueTexts(picture).size(), count);
    }

    // Codes that name no kind or type have no graph and draw nothing.
    void unknownCodes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("type");
        QTest::newRow("kind 0, type -1") << 0 << -1;
        QTest::newRow("kind 14, type 13") << 14 << 13;
        QTest::newRow("kind -1, type 100") << -1 << 100;
    }
    void unknownCodes()
    {
        QFETCH(int, kind);
        QFETCH(int, type);
        QVERIFY(!Graph::layoutForKind(kind));
        QVERIFY(Graph::labels(kind, false, QStringLiteral("T_1550")).isEmpty());
        QVERIFY(!Graph::layoutForType(type));
        const QList<double> readings(100, 0.0);
        const QStringList labels(100, QStringLiteral("x"));
        QVERIFY(Graph::picture(type, readings, labels, false).isEmpty());
        // The window of an unknown type reads nothing through its pointers.
        GraphWidget widget(type, QString(), nullptr, nullptr, false);
        QVERIFY(widget.readings().isEmpty());
        QVERIFY(widget.labels().isEmpty());
    }

    // The labels a graph copies: the kind's table in the unit, DWDM49TOTAL's total label last,
    // MPO fibres by number.
    void labels_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("byFrequency");
        QTest::addColumn<QString>("totalLabel");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("CWDM18 THz") << 1 << true << "" << 18 << "1270"
                                    << "1610";
        QTest::newRow("DWDM48 nm") << 2 << false << "" << 49 << "1526.44"
                                   << "Total";
        QTest::newRow("DWDM48 THz") << 2 << true << "" << 49 << "196.40"
                                    << "Total";
        QTest::newRow("Vendral8 nm") << 3 << false << "" << 5 << "1295.56"
                                     << "TOTAL";
        QTest::newRow("Vendral8 THz keeps nm") << 3 << true << "" << 5 << "1295.56"
                                               << "TOTAL";
        QTest::newRow("DWDM96 nm") << 4 << false << "" << 96 << "1526.05"
                                   << "1563.86";
        QTest::newRow("DWDM96 THz") << 4 << true << "" << 96 << "196.45"
                                    << "191.70";
        QTest::newRow("Tarnex8 THz") << 5 << true << "" << 10 << "1290.55"
                                     << "1550";
        QTest::newRow("Tarnex56 THz") << 6 << true << "" << 57 << "1290"
                                      << "Total";
        QTest::newRow("Tarnex57 nm") << 7 << false << "" << 58 << "1290"
                                     << "Total";
        QTest::newRow("Tarnex64 THz") << 8 << true << "" << 65 << "1270"
                                      << "Total";
        QTest::newRow("DWDM49TOTAL nm T_1550") << 9 << false << "T_1550" << 50 << "1527.99"
                                               << "T_1550";
        QTest::newRow("DWDM49TOTAL THz Total") << 9 << true << "Total" << 50 << "196.20"
                                               << "Total";
        QTest::newRow("MPO12") << 10 << false << "" << 12 << "1"
                               << "12";
        QTest::newRow("MPO24 THz") << 11 << true << "" << 24 << "1"
                                   << "24";
        QTest::newRow("MPO16") << 12 << false << "" << 16 << "1"
                               << "16";
        QTest::newRow("MPO32") << 13 << false << "" << 32 << "1"
                               << "32";
    }
    void labels()
    {
        QFETCH(int, kind);
        QFETCH(bool, byFrequency);
        QFETCH(QString, totalLabel);
        QFETCH(int, count);
        QFETCH(QString, first);
        QFETCH(QString, last);
        const QStringList labels = Graph::labels(kind, byFrequency, totalLabel);
        QCOMPARE(labels.size(), count);
        QCOMPARE(labels.first(), first);
        QCOMPARE(labels.last(), last);
        if (isMpoKind(kind)) {
            for (int n = 1; n <= count; ++n)
                QCOMPARE(labels.at(n - 1), QString::number(n));
        }
        // The shared table keeps its own total label.
        if (kind == 9) {
            QCOMPARE(labels.at(48),
                     byFrequency ? QStringLiteral("191.40") : QStringLiteral("1566.31"));
            QCOMPARE(dwdm49Wavelengths().last(), QStringLiteral("Total"));
        }
    }

    // Bar k of a record whose other readings are -60 dBm: its rectangle and the value text
    // above it, turned -80 degrees.
    void barAndValue_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("k");
        QTest::addColumn<double>("dbm");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QPoint>("valueAt");
        QTest::newRow("20 dBm: High, to 16.1")
            << 1 << 0 << 20.0 << QRect(55, 16, 10, 264) << "High" << QPoint(63, 11);
        QTest::newRow("16.01 dBm: High")
            << 1 << 0 << 16.01 << QRect(55, 16, 10, 264) << "High" << QPoint(63, 11);
        QTest::newRow("16 dBm: a number")
            << 1 << 0 << 16.0 << QRect(55, 16, 10, 264) << "16" << QPoint(63, 11);
        QTest::newRow("-12.34 dBm")
            << 1 << 3 << -12.34 << QRect(115, 130, 10, 150) << "-12.34" << QPoint(123, 125);
        QTest::newRow("-49.7 dBm: 1 px")
            << 1 << 17 << -49.7 << QRect(395, 279, 10, 1) << "-49.7" << QPoint(403, 274);
        QTest::newRow("-49.9 dBm: 2 px")
            << 1 << 1 << -49.9 << QRect(75, 278, 10, 2) << "-49.9" << QPoint(83, 273);
        QTest::newRow("-50 dBm: 2 px, a number")
            << 1 << 0 << -50.0 << QRect(55, 278, 10, 2) << "-50" << QPoint(63, 273);
        QTest::newRow("-60 dBm: 2 px, Low")
            << 1 << 0 << -60.0 << QRect(55, 278, 10, 2) << "Low" << QPoint(63, 273);
        QTest::newRow("-99 filler: Low")
            << 5 << 9 << -99.0 << QRect(235, 278, 10, 2) << "Low" << QPoint(243, 273);
        QTest::newRow("DWDM48 total bar")
            << 2 << 48 << -3.5 << QRect(1015, 94, 10, 186) << "-3.5" << QPoint(1023, 89);
        QTest::newRow("Vendral8 -45 dBm: 2 px on the short axis")
            << 3 << 1 << -45.0 << QRect(75, 238, 10, 2) << "-45" << QPoint(83, 233);
        QTest::newRow("Vendral8 0 dBm")
            << 3 << 0 << 0.0 << QRect(55, 80, 10, 160) << "0" << QPoint(63, 75);
        QTest::newRow("Vendral8 20 dBm: High")
            << 3 << 4 << 20.0 << QRect(135, 16, 10, 224) << "High" << QPoint(143, 11);
        QTest::newRow("Vendral8 -55 dBm: Low")
            << 3 << 4 << -55.0 << QRect(135, 238, 10, 2) << "Low" << QPoint(143, 233);
        QTest::newRow("DWDM96 upper last")
            << 4 << 47 << 0.0 << QRect(995, 80, 10, 200) << "0" << QPoint(1003, 75);
        QTest::newRow("DWDM96 lower first")
            << 4 << 48 << 0.0 << QRect(55, 400, 10, 200) << "0" << QPoint(63, 395);
        QTest::newRow("DWDM96 lower last High")
            << 4 << 95 << 25.0 << QRect(995, 336, 10, 264) << "High" << QPoint(1003, 331);
        QTest::newRow("Tarnex56 lower first")
            << 6 << 28 << -20.0 << QRect(55, 510, 10, 120) << "-20" << QPoint(63, 505);
        QTest::newRow("Tarnex64 lower last")
            << 8 << 64 << -20.0 << QRect(675, 510, 10, 120) << "-20" << QPoint(683, 505);
        QTest::newRow("MPO32 last")
            << 13 << 31 << 5.5 << QRect(675, 58, 10, 222) << "5.5" << QPoint(683, 53);
    }
    void barAndValue()
    {
        QFETCH(int, kind);
        QFETCH(int, k);
        QFETCH(double, dbm);
        QFETCH(QRect, rect);
        QFETCH(QString, value);
        QFETCH(QPoint, valueAt);
        const Picture picture = pictureOf(kind, readingsWith(kind, k, dbm));
        const Primitive bar = bars(picture).at(k);
        QCOMPARE(bar.rect, rect);
        QCOMPARE(bar.colour, QColor(Qt::blue));
        const Primitive text = valueTexts(picture).at(k);
        QCOMPARE(text.text, value);
        QCOMPARE(text.at, valueAt);
        QCOMPARE(text.angle, -80);
    }

    // The texts under the bars: number and label turned -90 degrees, or for MPO fibres the
    // number alone, flat; numbered on over a lower panel.
    void channelText_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("byFrequency");
        QTest::addColumn<QString>("totalLabel");
        QTest::addColumn<int>("k");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("angle");
        QTest::newRow("CWDM18 last")
            << 1 << true << "" << 17 << "#18 1610" << QPoint(405, 340) << -90;
        QTest::newRow("Vendral8 nm total")
            << 3 << false << "" << 4 << "#5 TOTAL" << QPoint(145, 310) << -90;
        QTest::newRow("Vendral8 THz total")
            << 3 << true << "" << 4 << "#5 TOTAL" << QPoint(145, 310) << -90;
        QTest::newRow("DWDM96 nm #1")
            << 4 << false << "" << 0 << "#1 1526.05" << QPoint(65, 355) << -90;
        QTest::newRow("DWDM96 nm #48")
            << 4 << false << "" << 47 << "#48 1544.53" << QPoint(1005, 355) << -90;
        QTest::newRow("DWDM96 nm #49")
            << 4 << false << "" << 48 << "#49 1544.92" << QPoint(65, 675) << -90;
        QTest::newRow("DWDM96 nm #96")
            << 4 << false << "" << 95 << "#96 1563.86" << QPoint(1005, 675) << -90;
        QTest::newRow("DWDM96 THz #1")
            << 4 << true << "" << 0 << "#1 196.45" << QPoint(65, 355) << -90;
        QTest::newRow("DWDM48 THz total")
            << 2 << true << "" << 48 << "#49 Total" << QPoint(1025, 355) << -90;
        QTest::newRow("DWDM49TOTAL totalWav 2")
            << 9 << false << "T_1550" << 49 << "#50 T_1550" << QPoint(1045, 355) << -90;
        QTest::newRow("Tarnex56 lower first")
            << 6 << false << "" << 28 << "#29 1542.14" << QPoint(65, 705) << -90;
        QTest::newRow("Tarnex57 lower first")
            << 7 << true << "" << 29 << "#30 194.1" << QPoint(65, 705) << -90;
        QTest::newRow("Tarnex64 lower first")
            << 8 << false << "" << 33 << "#34 1542.14" << QPoint(65, 705) << -90;
        QTest::newRow("Tarnex64 total")
            << 8 << false << "" << 64 << "#65 Total" << QPoint(685, 705) << -90;
        QTest::newRow("MPO12 #1") << 10 << false << "" << 0 << "#1" << QPoint(52, 300) << 0;
        QTest::newRow("MPO12 THz #12") << 10 << true << "" << 11 << "#12" << QPoint(272, 300) << 0;
        QTest::newRow("MPO32 #32") << 13 << false << "" << 31 << "#32" << QPoint(672, 300) << 0;
    }
    void channelText()
    {
        QFETCH(int, kind);
        QFETCH(bool, byFrequency);
        QFETCH(QString, totalLabel);
        QFETCH(int, k);
        QFETCH(QString, text);
        QFETCH(QPoint, at);
        QFETCH(int, angle);
        const Picture picture = pictureOf(kind, readingsWith(kind), byFrequency, totalLabel);
        const Primitive p = channelTexts(picture).at(k);
        QCOMPARE(p.text, text);
        QCOMPARE(p.at, at);
        QCOMPARE(p.angle, angle);
        QCOMPARE(p.colour, QColor(Qt::black));
    }

    // The whole DWDM96 run: #1 to #48 along the upper panel, #49 to #96 along the lower.
    void dwdm96Panels()
    {
        const QList<Primitive> texts = channelTexts(pictureOf(4, readingsWith(4)));
        QCOMPARE(texts.size(), 96);
        for (int k = 0; k < 96; ++k) {
            QVERIFY2(texts.at(k).text.startsWith(QStringLiteral("#%1 ").arg(k + 1)),
                     qPrintable(texts.at(k).text));
            QCOMPARE(texts.at(k).at, QPoint(65 + 20 * (k % 48), k < 48 ? 355 : 675));
        }
    }

    // The unit at the end of each horizontal axis; none for MPO graphs.
    void unitText_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("byFrequency");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QList<QPoint>>("at");
        QTest::newRow("CWDM18 nm") << 1 << false << "[nm]" << QList<QPoint>{{410, 300}};
        QTest::newRow("CWDM18 THz") << 1 << true << "[THz]" << QList<QPoint>{{410, 300}};
        QTest::newRow("Vendral8 THz") << 3 << true << "[THz]" << QList<QPoint>{{150, 260}};
        QTest::newRow("Vendral8 nm") << 3 << false << "[nm]" << QList<QPoint>{{150, 260}};
        QTest::newRow("DWDM96 nm")
            << 4 << false << "[nm]" << QList<QPoint>{{1010, 300}, {1010, 620}};
        QTest::newRow("Tarnex64 THz")
            << 8 << true << "[THz]" << QList<QPoint>{{710, 300}, {710, 650}};
        QTest::newRow("DWDM49TOTAL nm") << 9 << false << "[nm]" << QList<QPoint>{{1050, 300}};
        QTest::newRow("MPO12 nm") << 10 << false << "" << QList<QPoint>{};
        QTest::newRow("MPO24 THz") << 11 << true << "" << QList<QPoint>{};
        QTest::newRow("MPO16 nm") << 12 << false << "" << QList<QPoint>{};
        QTest::newRow("MPO32 THz") << 13 << true << "" << QList<QPoint>{};
    }
    void unitText()
    {
        QFETCH(int, kind);
        QFETCH(bool, byFrequency);
        QFETCH(QString, unit);
        QFETCH(QList<QPoint>, at);
        QList<QPoint> found;
        for (const Primitive& p :
             ofShape(pictureOf(kind, readingsWith(kind), byFrequency), Primitive::Text)) {
            if (p.text == QLatin1String("[nm]") || p.text == QLatin1String("[THz]")) {
                QCOMPARE(p.text, unit);
                found.append(p.at);
            }
        }
        QCOMPARE(found, at);
    }

    // The axes in a solid pen and the grid in a dashed one, per panel.
    void axes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<QLine>>("solid");
        QTest::addColumn<QList<QLine>>("dashed");
        QTest::newRow("CWDM18") << 1 << QList<QLine>{{50, 280, 410, 280}, {50, 20, 50, 280}}
                                << gridLines(410, {40, 80, 120, 160, 200, 240});
        QTest::newRow("Vendral8 short axis")
            << 3 << QList<QLine>{{50, 240, 150, 240}, {50, 20, 50, 240}}
            << gridLines(150, {40, 80, 120, 160, 200});
        QTest::newRow("DWDM96 two panels")
            << 4
            << QList<QLine>{{50, 280, 1010, 280},
                            {50, 20, 50, 280},
                            {50, 600, 1010, 600},
                            {50, 340, 50, 600}}
            << gridLines(1010, {40, 80, 120, 160, 200, 240, 360, 400, 440, 480, 520, 560});
        QTest::newRow("Tarnex56 28 and 29 positions")
            << 6
            << QList<QLine>{{50, 280, 610, 280},
                            {50, 20, 50, 280},
                            {50, 630, 630, 630},
                            {50, 370, 50, 630}}
            << gridLines(610, {40, 80, 120, 160, 200, 240}) +
                   gridLines(630, {390, 430, 470, 510, 550, 590});
        QTest::newRow("Tarnex64 32 bars on 33 positions")
            << 8
            << QList<QLine>{{50, 280, 710, 280},
                            {50, 20, 50, 280},
                            {50, 630, 710, 630},
                            {50, 370, 50, 630}}
            << gridLines(710, {40, 80, 120, 160, 200, 240, 390, 430, 470, 510, 550, 590});
        QTest::newRow("MPO16") << 12 << QList<QLine>{{50, 280, 370, 280}, {50, 20, 50, 280}}
                               << gridLines(370, {40, 80, 120, 160, 200, 240});
    }
    void axes()
    {
        QFETCH(int, kind);
        QFETCH(QList<QLine>, solid);
        QFETCH(QList<QLine>, dashed);
        const Picture picture = pictureOf(kind, readingsWith(kind));
        QCOMPARE(linesOf(picture, Qt::SolidLine), solid);
        QCOMPARE(linesOf(picture, Qt::DashLine), dashed);
        QCOMPARE(ofShape(picture, Primitive::Line).size(), solid.size() + dashed.size());
    }

    // The dBm scale beside each vertical axis; the short axis stops at -40.
    void scale_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("CWDM18") << 1 << QStringList{"[dBm]@5,20", "+10@20,40",  "  0@20,80",
                                                    "-10@20,120", "-20@20,160", "-30@20,200",
                                                    "-40@20,240", "-50@20,280"};
        QTest::newRow("Vendral8") << 3 << QStringList{"[dBm]@5,20", "+10@20,40",  "  0@20,80",
                                                      "-10@20,120", "-20@20,160", "-30@20,200",
                                                      "-40@20,240"};
        QTest::newRow("DWDM96") << 4 << QStringList{"[dBm]@5,20", "+10@20,40",  "  0@20,80",
                                                    "-10@20,120", "-20@20,160", "-30@20,200",
                                                    "-40@20,240", "-50@20,280", "[dBm]@5,340",
                                                    "+10@20,360", "  0@20,400", "-10@20,440",
                                                    "-20@20,480", "-30@20,520", "-40@20,560",
                                                    "-50@20,600"};
        QTest::newRow("MPO12") << 10 << QStringList{"[dBm]@5,20", "+10@20,40",  "  0@20,80",
                                                    "-10@20,120", "-20@20,160", "-30@20,200",
                                                    "-40@20,240", "-50@20,280"};
    }
    void scale()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, texts);
        QCOMPARE(scaleTexts(pictureOf(kind, readingsWith(kind))), texts);
    }

    // A two-panel graph draws the upper axis, the upper bars, then the lower axis and bars;
    // each bar is its rectangle, its value, then its channel text.
    void drawingOrder_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("lowerFirst");
        QTest::addColumn<int>("offset");
        QTest::newRow("DWDM96") << 4 << 48 << 320;
        QTest::newRow("Tarnex56") << 6 << 28 << 350;
        QTest::newRow("Tarnex57") << 7 << 29 << 350;
        QTest::newRow("Tarnex64") << 8 << 33 << 350;
    }
    void drawingOrder()
    {
        QFETCH(int, kind);
        QFETCH(int, lowerFirst);
        QFETCH(int, offset);
        const Picture picture = pictureOf(kind, readingsWith(kind));
        const QList<Primitive> rects = bars(picture);
        Primitive lowerHeading;
        lowerHeading.shape = Primitive::Text;
        lowerHeading.text = QStringLiteral("[dBm]");
        lowerHeading.at = QPoint(5, offset + 20);
        const int heading = indexOf(picture, lowerHeading);
        QVERIFY(heading > indexOf(picture, rects.at(lowerFirst - 1)));
        QVERIFY(heading < indexOf(picture, rects.at(lowerFirst)));
        // The upper axis comes first of all.
        QCOMPARE(picture.first().text, QStringLiteral("[dBm]"));
        QVERIFY(indexOf(picture, rects.first()) > 0);
        for (int k : {0, lowerFirst}) {
            const int i = indexOf(picture, rects.at(k));
            QCOMPARE(picture.at(i + 1).angle, -80);
            QVERIFY(picture.at(i + 2).text.startsWith(QStringLiteral("#%1 ").arg(k + 1)));
        }
    }

    // The channel texts may run only up to just short of the axis, fibre numbers only up to
    // the next one; no other text is limited.
    void textRoom_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("room");
        QTest::newRow("CWDM18") << 1 << 57;
        QTest::newRow("Vendral8") << 3 << 67;
        QTest::newRow("DWDM96") << 4 << 72;
        QTest::newRow("Tarnex8") << 5 << 57;
        QTest::newRow("Tarnex64") << 8 << 72;
        QTest::newRow("MPO24") << 11 << 18;
    }
    void textRoom()
    {
        QFETCH(int, kind);
        QFETCH(int, room);
        const Picture picture = pictureOf(kind, readingsWith(kind));
        for (const Primitive& p : ofShape(picture, Primitive::Text))
            QCOMPARE(p.room, p.text.startsWith(QLatin1Char('#')) ? room : 0);
    }

    // Whatever the desktop's font, the channel texts are drawn in one that fits their room; a
    // font that fits already is kept.
    void fittedFont_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<bool>("kept");
        QTest::newRow("DWDM96 7 px") << 4 << 7 << true;
        QTest::newRow("DWDM96 12 px") << 4 << 12 << false;
        QTest::newRow("DWDM96 20 px") << 4 << 20 << false;
        QTest::newRow("Tarnex8 16 px") << 5 << 16 << false;
        QTest::newRow("MPO32 12 px") << 13 << 12 << false;
        QTest::newRow("MPO32 30 px") << 13 << 30 << false;
    }
    void fittedFont()
    {
        QFETCH(int, kind);
        QFETCH(int, pixels);
        QFETCH(bool, kept);
        QImage device(10, 10, QImage::Format_RGB32);
        QFont font;
        font.setPixelSize(pixels);
        const Picture picture = pictureOf(kind, readingsWith(kind));
        const QFont fitted = Graph::fittedFont(font, picture, &device);
        QCOMPARE(fitted == font, kept);
        QVERIFY(fitted.pixelSize() <= pixels);
        const QFontMetrics metrics(fitted, &device);
        for (const Primitive& p : channelTexts(picture))
            QVERIFY2(metrics.horizontalAdvance(p.text) <= p.room, qPrintable(p.text));
    }

    // The value text rule on its own: above 16 "High", from -50 the number, else "Low".
    void valueText_data()
    {
        QTest::addColumn<double>("dbm");
        QTest::addColumn<QString>("text");
        QTest::newRow("16.1") << 16.1 << "High";
        QTest::newRow("16") << 16.0 << "16";
        QTest::newRow("1.234567") << 1.234567 << "1.23457";
        QTest::newRow("-0.5") << -0.5 << "-0.5";
        QTest::newRow("-50") << -50.0 << "-50";
        QTest::newRow("-50.01") << -50.01 << "Low";
        QTest::newRow("-327.68") << -327.68 << "Low";
    }
    void valueText()
    {
        QFETCH(double, dbm);
        QFETCH(QString, text);
        QCOMPARE(Graph::valueText(dbm), text);
    }

    // The window copies what it is given, clamps its own copy when painted, and does not size
    // or show itself.
    void widgetCopiesAndClamps()
    {
        double readings[18];
        QString labels[18];
        for (int i = 0; i < 18; ++i) {
            readings[i] = -10.0 - i;
            labels[i] = QStringLiteral("L%1").arg(i);
        }
        readings[0] = 20.0;
        readings[1] = 16.0;
        GraphWidget widget(0, QStringLiteral("Ruvo730 [CWDM Data] 2026-03-01 10:00:00"), readings,
                           labels, true);
        readings[2] = 5.0;
        labels[2] = QStringLiteral("changed");
        QCOMPARE(widget.readings().size(), 18);
        QCOMPARE(widget.labels().size(), 18);
        QCOMPARE(widget.readings().at(0), 20.0);
        QCOMPARE(widget.readings().at(2), -12.0);
        QCOMPARE(widget.labels().at(2), QStringLiteral("L2"));
        QCOMPARE(widget.windowTitle(), QStringLiteral("Ruvo730 [CWDM Data] 2026-03-01 10:00:00"));
        QVERIFY(!widget.windowIcon().isNull());
        QCOMPARE(widget.graphType(), 0);
        QVERIFY(widget.displayFreq());
        QVERIFY(!widget.isVisible());

        QTest::ignoreMessage(QtDebugMsg, "m_device: 0");
        widget.resize(460, 350);
        widget.grab();
        // Painting draws a clamped bar and leaves the readings as they came.
        QCOMPARE(widget.readings().at(0), 20.0);
        QCOMPARE(widget.readings().at(1), 16.0);
    }

    // Painted for real, under a dark palette: white ground, blue bars, black axes.
    void rendersOnWhite()
    {
        QList<double> readings(18, -60.0);
        readings[0] = 0.0;
        const QStringList labels = Graph::labels(1, false);
        GraphWidget widget(0, QString(), readings.constData(), labels.constData(), false);
        QPalette dark;
        dark.setColor(QPalette::Window, Qt::black);
        dark.setColor(QPalette::WindowText, Qt::white);
        widget.setPalette(dark);
        widget.setFixedSize(460, 350);
        QTest::ignoreMessage(QtDebugMsg, "m_device: 0");
        const QImage image = widget.grab().toImage();
        QCOMPARE(image.size(), QSize(460, 350));
        // Bar 1 at 0 dBm fills x 55..64, y 80..279.
        QCOMPARE(image.pixelColor(60, 250), QColor(Qt::blue));
        QCOMPARE(image.pixelColor(55, 80), QColor(Qt::blue));
        QCOMPARE(image.pixelColor(64, 279), QColor(Qt::blue));
        QCOMPARE(image.pixelColor(65, 250), QColor(Qt::white));
        // Bar 2 at -60 dBm is two pixels high.
        QCOMPARE(image.pixelColor(80, 278), QColor(Qt::blue));
        QCOMPARE(image.pixelColor(80, 279), QColor(Qt::blue));
        QVERIFY(image.pixelColor(80, 276) != QColor(Qt::blue));
        // The vertical axis, and the horizontal one between two bars.
        QCOMPARE(image.pixelColor(50, 150), QColor(Qt::black));
        QCOMPARE(image.pixelColor(70, 280), QColor(Qt::black));
        // Beyond the axis end and above the scale: background.
        QCOMPARE(image.pixelColor(440, 10), QColor(Qt::white));
        QCOMPARE(image.pixelColor(300, 100), QColor(Qt::white));
    }
};

QTEST_MAIN(TestGraph)
#include "tst_graph.moc"
