#include "graph/graphwidget.h"

#include "data/kinds.h"
#include "data/logging.h"
#include "files/reportcontent.h"
#include "graph/graphpicture.h"
#include "graph/graphtable.h"
#include "resources/resources.h"

#include <QIcon>
#include <QPainter>

GraphWidget::GraphWidget(int type, const QString& title, const double* readings,
                         const QString* labels, bool displayFreq, QWidget* parent)
    : QWidget(parent)
    , m_device(type)
    , m_displayFreq(displayFreq)
{
    const int count = readingsUsed(Graph::kindOfType(type));
    if (readings)
        m_readings = QList<double>(readings, readings + count);
    if (labels)
        m_labels = QStringList(labels, labels + count);
    initVeluminResources();
    setWindowIcon(QIcon(QStringLiteral(":/icon/image/chart_bar.png")));
    setWindowTitle(title);
}

GraphWidget::~GraphWidget() = default;

void GraphWidget::setLabels(const QStringList& labels, bool displayFreq)
{
    m_labels = labels.mid(0, m_readings.size());
    m_displayFreq = displayFreq;
    update();
}

void GraphWidget::setLimitLines(std::optional<double> min, std::optional<double> max)
{
    m_limitMin = min;
    m_limitMax = max;
    update();
}

void GraphWidget::setJudgedReadings(const QList<Limits::Reading>& readings)
{
    m_judged = readings;
}

void GraphWidget::setLimits(const Limits::LimitSet& limits)
{
    m_failing.clear();
    if (!ReportContent::judges(limits, Graph::kindOfType(m_device))) {
        setLimitLines(std::nullopt, std::nullopt);
        return;
    }
    for (int position : Limits::judge(limits, m_judged).failing)
        m_failing.insert(position - 1);
    setLimitLines(limits.min, limits.max);
}

void GraphWidget::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    qCDebug(lcWindow).noquote() << "m_device:" << m_device;
    // Black and blue on white whatever the desktop theme, so a dark palette cannot hide them.
    painter.fillRect(rect(), Qt::white);
    // The picture clamps what it draws; the readings stay as they came.
    Graph::Marks marks;
    marks.min = m_limitMin;
    marks.max = m_limitMax;
    marks.failing = m_failing;
    const Graph::Picture picture =
        Graph::picture(m_device, m_readings, m_labels, m_displayFreq, marks);
    Graph::paint(painter, picture, Graph::fittedFont(font(), picture, this));
}
