#pragma once

#include <QList>
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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_device;
    QList<double> m_readings;
    QStringList m_labels;
    bool m_displayFreq;
    std::optional<double> m_limitMin;
    std::optional<double> m_limitMax;
};
