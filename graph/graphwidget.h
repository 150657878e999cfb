#pragma once

#include "data/limits.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <optional>

// The bar graph of one record in a window of its own. It keeps copies of the readings and
// labels it was given, so it goes on showing its record when the record lists change.
class GraphWidget : public QWidget {
    Q_OBJECT
public:
    // Reads as many readings and labels as the graph type draws; an unknown type reads none
    // and draws nothing.
    GraphWidget(int type, const QString& title, const double* readings, const QString* labels,
                bool displayFreq, QWidget* parent = nullptr);
    ~GraphWidget() override;

    int graphType() const { return m_device; }
    bool displayFreq() const { return m_displayFreq; }
    // The window's own copies, as they came.
    const QList<double>& readings() const { return m_readings; }
    const QStringList& labels() const { return m_labels; }
    // Labels the same readings anew, after a change of the display unit.
    void setLabels(const QStringList& labels, bool displayFreq);
    // Draws the global limits in force as dashed lines; none by default.
    void setLimitLines(std::optional<double> min, std::optional<double> max);
    // The readings of its record that limits judge (Detail::judgedReadings): without them no bar
    // is marked.
    void setJudgedReadings(const QList<Limits::Reading>& readings);
    // Draws the global limits of `limits` as lines, and the bars of the readings that fail them
    // in red; limits that do not judge the graph's kind draw neither.
    void setLimits(const Limits::LimitSet& limits);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_device;
    QList<double> m_readings;
    QStringList m_labels;
    bool m_displayFreq;
    std::optional<double> m_limitMin;
    std::optional<double> m_limitMax;
    QList<Limits::Reading> m_judged;
    QSet<int> m_failing; // indexes of the readings that fail the limits
};
