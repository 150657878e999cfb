#pragma once

#include <QDateTime>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The printable report of a meter's records: a summary from the first page, then one section per
// record with its bar graph (drawn as vectors) and its channel table. Everything it shows comes
// in as text and values; it reads no window and no record list.
namespace PdfReport {

struct Identity {
    QString product;
    QString serial;
    QString hardware;
    QString firmware;
};

// One row of a record's channel table: the detail view's columns, and the verdict where the
// channel is checked.
struct ChannelRow {
    QStringList cells;
    QString verdict; // "PASS", "LOW", "HIGH"; empty when not checked
    QString margin;  // "+2.5 dB"; empty when not checked
};

struct Record {
    int number = 0; // 1-based, as the record list numbers it
    QString name;
    QString dateTime;
    QString verdict;     // "PASS" or "FAIL"; empty without limits
    QStringList failing; // numbers of the failing channels
    QString lowest;
    QString highest;
    // The graph, as the graph window draws it.
    int graphType = 0;
    QList<double> readings;
    QStringList graphLabels;
    bool displayFreq = false;
    QStringList headers; // the channel table's column titles
    QList<ChannelRow> channels;
};

struct Report {
    Identity identity;
    QDateTime exported;
    QStringList limits; // lines describing the limits in force; empty: none
    int recordCount = 0;
    // Record i's section, 0 <= i < recordCount. Built when the writer needs it and dropped after,
    // so that a report of many records never holds them all: once for the summary and the page
    // count, and again when its pages are drawn.
    std::function<Record(int i)> record;
};

enum class Outcome { Written, Cancelled, Failed };

// Called after each record; false cancels the report.
using Progress = std::function<bool(int done, int total)>;

// Writes `report` to `out` in the paper size of the user's locale; `error` tells why a report
// failed.
Outcome write(QIODevice& out, const Report& report, QString* error, const Progress& progress = {});

// The same to `path`. The file is written beside the target and renamed over it only when
// complete, so a failed or cancelled report leaves an existing file as it was.
Outcome write(const QString& path, const Report& report, QString* error,
              const Progress& progress = {});

} // namespace PdfReport
