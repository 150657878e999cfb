#include "export/progressmeter.h"

#include <QByteArray>

ProgressMeter::ProgressMeter(std::FILE* out, bool terminal, bool quiet)
    : m_out(out)
    , m_terminal(terminal)
    , m_quiet(quiet)
{
}

void ProgressMeter::start(const QString& label)
{
    m_label = label.isEmpty() ? QByteArray() : label.toLocal8Bit() + ": ";
    m_clock.start();
    m_lastTenth = 0;
}

double ProgressMeter::rate(int done) const
{
    const qint64 ms = m_clock.isValid() ? m_clock.elapsed() : 0;
    return ms > 0 ? done * 1000.0 / double(ms) : 0.0;
}

void ProgressMeter::update(int done, int total)
{
    if (m_quiet || total <= 0)
        return;
    if (m_terminal) {
        constexpr int Width = 30;
        const int filled = int(qint64(done) * Width / total);
        const QByteArray bar = QByteArray(filled, '#') + QByteArray(Width - filled, '-');
        std::fprintf(m_out, "\r%s[%s] %d/%d records, %.1f/s ", m_label.constData(), bar.constData(),
                     done, total, rate(done));
        m_drawn = true;
    } else {
        const int tenth = int(qint64(done) * 10 / total);
        if (tenth <= m_lastTenth)
            return;
        m_lastTenth = tenth;
        std::fprintf(m_out, "velumin-export: %s%d%%, %d of %d records, %.1f records/s\n",
                     m_label.constData(), tenth * 10, done, total, rate(done));
    }
    std::fflush(m_out);
}

void ProgressMeter::finish()
{
    if (m_drawn)
        std::fputc('\n', m_out);
    m_drawn = false;
    std::fflush(m_out);
}
