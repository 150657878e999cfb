#pragma once

#include <QDateTime>
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
    QList<Record> records;
};

enum class Outcome { Written, Cancelled, Failed };

// Called after each record; false cancels the report.
using Progress = std::function<bool(int done, int total)>;

// Writes `report` to `path` in the paper size of the user's locale. The file is written beside
// the target and renamed over it only when complete, so a failed or cancelled report leaves an
// existing file as it was; `error` tells why a report failed.
Outcome write(const QString& path, const Report& report, QString* error,
              const Progress& progress = {});

} // namespace PdfReport
