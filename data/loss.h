#pragma once

#include "data/limits.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <optional>

struct Measurement;

// Loss against a reference, judged against a loss budget. Pure: values in, verdicts out; the
// reference and budget files are bytes in, bytes out. Channels are positions in the kind's
// channel table, from 1, as in limits files.
namespace Loss {

// What the link's far end should receive: per channel the power in dBm, from a record taken as
// the reference or from a reference file (a mux's launch powers, say).
struct Reference {
    QString name;
    int kind = 0; // the kind code it was made for; 0 for any
    QMap<int, double> channels;
    // Where it came from, as the window shows it: "Ruvo730 RV7300123" and "2026-03-01 10:00:00"
    // for a record; empty for a file that does not say.
    QString meter;
    QString date;

    bool isSet() const { return !channels.isEmpty(); }
};

// What a channel's loss may be instead of the budget's.
struct ChannelBudget {
    bool check = true; // false: no verdict for the channel
    std::optional<double> maxLoss;
};

// A budget computed from the link: length × attenuation + connector pairs × loss per pair +
// splices × loss per splice.
struct Link {
    double lengthKm = 0;
    double dbPerKm = 0;
    int connectorPairs = 0;
    int splices = 0;
    double dbPerConnectorPair = 0.75; // ISO/IEC 11801, TIA-568.3
    double dbPerSplice = 0.3;         // ISO/IEC 11801, TIA-568.3

    double maxLoss() const;
};

struct Budget {
    QString name;
    std::optional<double> maxLoss; // dB
    std::optional<Link> link;      // when set, its maxLoss() takes the place of maxLoss
    QMap<int, ChannelBudget> channels;

    // The budget of channel `position`; none when it is not checked.
    std::optional<double> maxLossFor(int position) const;
    bool isSet() const { return maxLoss || link || !channels.isEmpty(); }
};

enum class Verdict { Pass, Fail, CheckRef };

// "PASS", "FAIL", "CHECK REF".
QString verdictText(Verdict verdict);

// A loss below this (dB) means the reference is wrong, not that the link gains light.
constexpr double CheckRefBelow = -0.3;

struct ChannelLoss {
    int position = 0;
    double reading = 0;               // dBm
    std::optional<double> reference;  // dBm; none where the reference does not name the channel
    std::optional<double> loss;       // dB; none where either side is missing or dark
    std::optional<double> budget;     // dB; none where the channel is not checked
    std::optional<Verdict> verdict;   // none where the channel is not judged
    std::optional<double> margin;     // budget - loss, with a verdict
};

struct RecordLoss {
    QList<ChannelLoss> channels;
    // FAIL when a channel fails, else CHECK REF when one needs it, else PASS; none when no channel
    // was judged.
    std::optional<Verdict> verdict;
};

// Loss of `readings` (the channels a record carries, totals left out) against `reference`,
// judged against `budget`. A channel dark (below Limits::Low) in the reference or the reading
// has no loss.
RecordLoss judge(const Reference& reference, const Budget& budget,
                 const QList<Limits::Reading>& readings);
// The same for a record: its channels as the detail view lists them.
RecordLoss judge(const Reference& reference, const Budget& budget, const Measurement& record);

// A record as a reference: every channel it carries, dark ones left out.
Reference referenceFrom(const Measurement& record, const QString& meter);

// A reference file: {"name": "...", "kind": "CWDM18", "channels": {"1": -2.5, "2": -2.4}}, plus
// "meter" and "date" where it says where it came from. None, with the problem in `error`, for
// text that is not such an object, an unknown key, a wrong type, a kind that names none, a
// channel position that is not a positive integer, or no channel at all.
std::optional<Reference> referenceFromJson(const QByteArray& json, QString* error);
QByteArray toJson(const Reference& reference);

// A budget file: {"name": "...", "maxLoss": 3.5, "channels": {"4": {"maxLoss": 2.0},
// "9": {"check": false}}}, or with "link": {"lengthKm", "dbPerKm", "connectorPairs",
// "splices", "dbPerConnectorPair", "dbPerSplice"} (the last two optional) in place of
// "maxLoss". Refused as a reference file is, and for a negative budget or a link value.
std::optional<Budget> budgetFromJson(const QByteArray& json, QString* error);
QByteArray toJson(const Budget& budget);

} // namespace Loss
