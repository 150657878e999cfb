#include "files/report.h"

#include "data/detail.h"
#include "data/intake.h"
#include "data/kinds.h"
#include "files/reportcontent.h"

#include <QMap>

Report::Report(const MeterIdentity& identity, int kind, bool displayFreq,
               const Limits::LimitSet& limits, const QList<Measurement>& records,
               const QDateTime& made)
    : m_identity(identity)
    , m_kind(kind)
    , m_displayFreq(displayFreq)
    , m_limits(ReportContent::judges(limits, kind) ? limits : Limits::LimitSet())
    , m_records(records)
    , m_made(made)
{
}

void Report::setLoss(const Loss::Reference& reference, const Loss::Budget& budget)
{
    const bool fits = reference.kind == 0 || reference.kind == m_kind;
    m_reference = fits ? reference : Loss::Reference();
    m_budget = fits ? budget : Loss::Budget();
}

void Report::setJob(const JobBlock& block, const QString& job)
{
    m_jobBlock = block;
    m_job = job;
}

QStringList Report::headers() const
{
    return ReportContent::detailHeaders(m_kind, m_displayFreq, m_identity.product);
}

Report Report::single(int i) const
{
    Report one = *this;
    one.m_records = {m_records.at(i)};
    one.m_first = m_first + i;
    return one;
}

QString Report::Record::name() const
{
    return Intake::rowTexts(*m_record).value(0);
}

QString Report::Record::dateText() const
{
    return Intake::dateText(m_record->dateWord);
}

QString Report::Record::timeText() const
{
    return Intake::timeText(m_record->timeWord);
}

QList<double> Report::Record::readings() const
{
    QList<double> out;
    out.reserve(m_record->readings.size());
    for (int i = 0; i < m_record->readings.size(); ++i)
        out.append(m_record->dbm(i));
    return out;
}

QString Report::Record::testWavelength() const
{
    return Detail::mpoModeText(m_record->mode);
}

QString Report::Record::polarity() const
{
    return Detail::mpoPolarText(m_record->polar);
}

QList<Report::Channel> Report::Record::channels() const
{
    const Report& r = *m_report;
    const Measurement& m = *m_record;
    const QList<QStringList> rows = Detail::rows(m, r.m_displayFreq, r.m_identity.product);
    const QList<int> readings = Detail::rowReadings(m);
    // An MPO fibre is labelled by its record's test wavelength.
    const int labelColumn = isMpoKind(r.m_kind) ? 1 : 2;
    const QString unit = Detail::labelsInFrequency(r.m_kind, r.m_displayFreq, r.m_identity.product)
                             ? QStringLiteral("THz")
                             : QStringLiteral("nm");
    QMap<int, Loss::ChannelLoss> losses;
    if (r.judgesLoss()) {
        for (const Loss::ChannelLoss& l : Loss::judge(r.m_reference, r.m_budget, m).channels)
            losses.insert(l.position, l);
    }
    QList<Channel> out;
    out.reserve(rows.size());
    for (int k = 0; k < rows.size() && k < readings.size(); ++k) {
        const int i = readings.at(k);
        Channel c;
        c.row = rows.at(k);
        c.position = i + 1;
        c.label = c.row.value(labelColumn);
        c.unit = unit;
        c.dbm = m.dbm(i);
        c.total = i >= channelCount(r.m_kind);
        // Totals are not channels, and are never judged.
        if (!c.total)
            c.verdict = ReportContent::channelVerdict(r.m_limits, {c.position, c.dbm});
        if (!c.total && losses.contains(c.position))
            c.loss = losses.value(c.position);
        out.append(c);
    }
    return out;
}

std::optional<Limits::RecordResult> Report::Record::verdict() const
{
    return ReportContent::recordVerdict(m_report->m_limits, *m_record);
}

std::optional<Loss::RecordLoss> Report::Record::loss() const
{
    if (!m_report->judgesLoss())
        return std::nullopt;
    return Loss::judge(m_report->m_reference, m_report->m_budget, *m_record);
}
