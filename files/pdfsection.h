#pragma once

#include "files/pdfpages.h"
#include "files/reportresult.h"
#include "graph/graphpicture.h"

#include <QList>
#include <QString>
#include <QStringList>

class Report;

// What the PDF report shows of each record, as texts: built from the report alone, one record at
// a time.
namespace PdfSection {

using Row = QList<PdfPages::Cell>;

struct Section {
    int number = 0;
    QString name;
    QString dateTime;
    ReportResult::Outcome outcome = ReportResult::Outcome::NotJudged;
    // The No of each channel that fails its limits, "7 (loss)" for one that fails only its
    // loss budget, then "spread" and the like.
    QStringList failing;
    QString lowest; // two decimals, "High" or "Low"
    QString highest;
    QList<double> readings;
    QStringList graphLabels;
    Graph::Marks marks;  // failing bars and the loss of each channel
    QList<Row> channels; // as channelTitles() names their columns
};

Section section(const Report& report, int i);

// The columns of the channel tables: the detail view's, then the verdict and margin where limits
// judge the records, then reference, loss, budget, margin and verdict where a reference is in
// force.
QStringList channelTitles(const Report& report);
// For each of those columns, its longest texts.
QList<QStringList> channelSamples(const Report& report, const Section& first);

// "-7.87": a reading with two decimals; `shown`, the detail view's text, where that is "High" or
// "Low".
QString powerText(double dbm, const QString& shown);

} // namespace PdfSection
