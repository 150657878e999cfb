#pragma once

#include "data/measurement.h"

#include <QList>
#include <QString>

#include <optional>

// Two records side by side, channel by channel: the readings of A and B and A − B. Pure: records
// in, values and texts out. Channels are positions in the kind's channel table, from 1.
namespace RecordCompare {

struct Channel {
    int position = 0;
    double a = 0; // dBm
    double b = 0;
    // A − B in dB; none where either side is dark (below Limits::Low).
    std::optional<double> difference;
};

struct Result {
    // Empty when the records are not compared.
    QList<Channel> channels;
    // Why they are not: records of different kinds, or of one kind that carry different channels.
    // Empty when they are.
    QString problem;
    // The channel (an index into `channels`) of the largest |A − B|; none when no channel has a
    // difference.
    std::optional<int> largest;
};

Result compare(const Measurement& a, const Measurement& b);

// "1–4, 6, 9–18": positions in ascending order, runs joined.
QString positionsText(const QList<int>& positions);

} // namespace RecordCompare
