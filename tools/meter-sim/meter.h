#pragma once

#include "options.h"
#include "records.h"
#include "requests.h"

#include <QByteArray>
#include <QVector>

namespace metersim {

// The meter's side of the dialogue: which frame answers which request. No port, no clock.
class Meter {
public:
    Meter(const Options& options, QVector<Record> records);

    // The answer to one request; empty when the meter stays quiet (unknown request, or an
    // index at or beyond the stored total, as a real meter has nothing to send for it).
    QByteArray answer(const Request& request) const;

private:
    QByteArray record(int index) const;
    QByteArray half96(int index, int half) const;
    quint16 reportedTotal() const;

    Options m_options;
    QVector<Record> m_records;
    RecordLayout m_layout;
};

} // namespace metersim
