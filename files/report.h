#pragma once

#include "data/identity.h"
#include "data/jobblock.h"
#include "data/limits.h"
#include "data/loss.h"
#include "data/measurement.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

// One report of a meter's records, as every format writes it: built once from values, and read
// record by record. A record's texts and channels are made only when a writer asks for them, so
// that a report of thousands of records never holds them all.
class Report {
public:
    // One row of a record's detail view.
    struct Channel {
        // The detail view's cells: No, ITU channel or test wavelength, label or polarity, power.
        QStringList row;
        int position = 0; // in the kind's channel table, from 1
        QString label;    // the wavelength or frequency; an MPO fibre's test wavelength
        QString unit;     // that of the label: "THz" or "nm"
        double dbm = 0;
        bool total = false;
        std::optional<Limits::ChannelResult> verdict; // where the limits check the channel
        std::optional<Loss::ChannelLoss> loss;        // where a reference is in force

        // The No and the power text, as the detail view shows them.
        QString number() const { return row.value(0); }
        QString text() const { return row.value(3); }
    };

    // Record i of a report, read from it on demand; valid while the report is.
    class Record {
    public:
        int number() const { return m_number; } // from 1, as the record list numbers it
        // The record list's: the name, or the number of an unnamed record.
        QString name() const;
        // The name the meter stored; empty where it stored none.
        QString storedName() const { return m_record->nameText(); }
        // The record list's "2026-03-01" and "10:00:00", whatever the meter's words hold.
        QString dateText() const;
        QString timeText() const;
        // The null date or time where a word holds an impossible one.
        QDate date() const { return m_record->date(); }
        QTime time() const { return m_record->time(); }
        // Every reading in dBm, by position in the kind's channel table.
        QList<double> readings() const;
        // "T_1310" and the like where the record names its own total.
        QString totalLabel() const { return m_record->totalLabel(); }
        // MPO: the test wavelength and the polarity of every fibre.
        QString testWavelength() const;
        QString polarity() const;
        QList<Channel> channels() const;
        // None where the limits are off.
        std::optional<Limits::RecordResult> verdict() const;
        // None where no reference is in force.
        std::optional<Loss::RecordLoss> loss() const;

    private:
        friend class Report;
        Record(const Report& report, const Measurement& record, int number)
            : m_report(&report)
            , m_record(&record)
            , m_number(number)
        {
        }
        const Report* m_report;
        const Measurement* m_record;
        int m_number;
    };

    // `limits` are kept only where they judge records of `kind`.
    Report(const MeterIdentity& identity, int kind, bool displayFreq,
           const Limits::LimitSet& limits, const QList<Measurement>& records,
           const QDateTime& made);

    const MeterIdentity& identity() const { return m_identity; }
    int kind() const { return m_kind; }
    bool displayFreq() const { return m_displayFreq; }
    // Off unless they judge this kind.
    const Limits::LimitSet& limits() const { return m_limits; }
    const QDateTime& made() const { return m_made; }
    // The detail view's column titles.
    QStringList headers() const;

    // Loss against `reference`, judged against `budget`: kept only where the reference may be
    // of this kind. Without it, no record has a loss and the CSV and JSON are as they were.
    void setLoss(const Loss::Reference& reference, const Loss::Budget& budget);
    bool judgesLoss() const { return m_reference.isSet(); }
    const Loss::Reference& reference() const { return m_reference; }
    const Loss::Budget& budget() const { return m_budget; }
    // Who the report is for, and the job its download was archived under.
    void setJob(const JobBlock& block, const QString& job);
    const JobBlock& jobBlock() const { return m_jobBlock; }
    const QString& job() const { return m_job; }
    // How many records the meter held: a report of fewer was cut short. 0: as many as it has.
    void setExpected(int total) { m_expected = total; }
    int expected() const { return m_expected; }
    bool incomplete() const { return m_expected > count(); }

    int count() const { return int(m_records.size()); }
    Record record(int i) const { return Record(*this, m_records.at(i), m_first + i + 1); }
    // The report of record i alone, numbered as here: a fibre-row CSV file holds one record.
    Report single(int i) const;

private:
    MeterIdentity m_identity;
    int m_kind;
    bool m_displayFreq;
    Limits::LimitSet m_limits;
    QList<Measurement> m_records;
    QDateTime m_made;
    Loss::Reference m_reference;
    Loss::Budget m_budget;
    JobBlock m_jobBlock;
    QString m_job;
    int m_expected = 0;
    int m_first = 0; // how many records of the meter's list come before the first here
};
