#include "protocol/retrieval.h"

#include <QStringList>
#include <QTest>

// The Get Data sequence on its own, driven step by step. Each case is a script of steps and the
// outcome of every step, one word per step:
//
//   steps:    start | start96 | stop | tick | stored:C/T | half:C | admit:C | getting
//   outcomes: rI (request for record I), rIhH (record I, half H of a 96-channel record),
//             - (nothing sent, or a step that sends nothing), first | next | drop (admission),
//             on | off (whether a retrieval runs)
//
// half:C is the first half of record C arriving (flag 1); stored:C/T is record C of T stored.

namespace {

QString requestText(const Retrieval::Request& r)
{
    if (!r.send)
        return QStringLiteral("-");
    if (r.half96)
        return QStringLiteral("r%1h%2").arg(r.index).arg(r.half);
    return QStringLiteral("r%1").arg(r.index);
}

QString admissionText(Retrieval::Admission a)
{
    switch (a) {
    case Retrieval::Admission::Drop:
        return QStringLiteral("drop");
    case Retrieval::Admission::First:
        return QStringLiteral("first");
    case Retrieval::Admission::Next:
        return QStringLiteral("next");
    }
    return QStringLiteral("?");
}

int argument(const QString& step)
{
    return step.section(QLatin1Char(':'), 1).section(QLatin1Char('/'), 0, 0).toInt();
}

QString run(const QString& script)
{
    Retrieval retrieval;
    QStringList out;
    const QStringList steps = script.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& step : steps) {
        if (step == QLatin1String("start")) {
            out << requestText(retrieval.start(false));
        } else if (step == QLatin1String("start96")) {
            out << requestText(retrieval.start(true));
        } else if (step == QLatin1String("stop")) {
            retrieval.stop();
            out << QStringLiteral("-");
        } else if (step == QLatin1String("tick")) {
            out << requestText(retrieval.tick());
        } else if (step == QLatin1String("getting")) {
            out << (retrieval.getting() ? QStringLiteral("on") : QStringLiteral("off"));
        } else if (step.startsWith(QLatin1String("stored:"))) {
            const int total = step.section(QLatin1Char('/'), 1).toInt();
            out << requestText(retrieval.stored(argument(step), total));
        } else if (step.startsWith(QLatin1String("half:"))) {
            out << requestText(retrieval.firstHalfArrived(argument(step), 1));
        } else if (step.startsWith(QLatin1String("admit:"))) {
            out << admissionText(retrieval.admit(argument(step)));
        } else {
            out << QStringLiteral("bad-step:") + step;
        }
    }
    return out.join(QLatin1Char(' '));
}

void scriptColumns()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("outcome");
}

} // namespace

class TestRetrieval : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startRequest_data();
    void startRequest();
    void retryTick_data();
    void retryTick();
    void continuation_data();
    void continuation();
    void lastRecord_data();
    void lastRecord();
    void stopping_data();
    void stopping();
    void restart_data();
    void restart();
    void admission_data();
    void admission();
    void secondHalf_data();
    void secondHalf();
    void noRecords_data();
    void noRecords();

private:
    void check();
};

void TestRetrieval::check()
{
    QFETCH(QString, script);
    QFETCH(QString, outcome);
    QCOMPARE(run(script), outcome);
}

void TestRetrieval::startRequest_data()
{
    scriptColumns();
    QTest::newRow("asks for record 0") << "start"
                                       << "r0";
    QTest::newRow("96 channels: record 0, first half") << "start96"
                                                       << "r0h0";
    QTest::newRow("a retrieval runs") << "start getting"
                                      << "r0 on";
    QTest::newRow("before any start nothing runs") << "getting tick"
                                                   << "off -";
}

void TestRetrieval::startRequest()
{
    check();
}

void TestRetrieval::retryTick_data()
{
    scriptColumns();
    QTest::newRow("first tick after start only takes note") << "start tick"
                                                            << "r0 -";
    QTest::newRow("second silent tick repeats the request") << "start tick tick"
                                                            << "r0 - r0";
    QTest::newRow("silence keeps repeating") << "start tick tick tick tick"
                                             << "r0 - r0 r0 r0";
    QTest::newRow("tick after progress does not repeat") << "start tick stored:0/3 tick"
                                                         << "r0 - r1 -";
    QTest::newRow("silence after progress repeats the new request")
        << "start tick stored:0/3 tick tick"
        << "r0 - r1 - r1";
    QTest::newRow("lost once, then on as usual")
        << "start tick tick stored:0/2 tick tick stored:1/2"
        << "r0 - r0 r1 - r1 -";
    QTest::newRow("96: second half missing asks half 1") << "start96 tick half:0 tick"
                                                         << "r0h0 - r0h1 r0h1";
    QTest::newRow("96: first half missing asks half 0") << "start96 tick tick"
                                                        << "r0h0 - r0h0";
    QTest::newRow("96: next record missing asks its first half")
        << "start96 half:0 stored:0/3 tick tick"
        << "r0h0 r0h1 r1h0 - r1h0";
    QTest::newRow("no retrieval: ticks send nothing") << "tick tick tick"
                                                      << "- - -";
}

void TestRetrieval::retryTick()
{
    check();
}

void TestRetrieval::continuation_data()
{
    scriptColumns();
    QTest::newRow("after record 0 of 3 asks record 1") << "start stored:0/3"
                                                       << "r0 r1";
    QTest::newRow("after record 1 of 3 asks record 2") << "start stored:0/3 stored:1/3"
                                                       << "r0 r1 r2";
    QTest::newRow("96: next record starts at half 0") << "start96 half:0 stored:0/3"
                                                      << "r0h0 r0h1 r1h0";
    QTest::newRow("still running") << "start stored:0/3 getting"
                                   << "r0 r1 on";
    QTest::newRow("three records in turn")
        << "start admit:0 stored:0/3 admit:1 stored:1/3 admit:2 stored:2/3 getting"
        << "r0 first r1 next r2 next - off";
}

void TestRetrieval::continuation()
{
    check();
}

void TestRetrieval::lastRecord_data()
{
    scriptColumns();
    QTest::newRow("one record: no second request") << "start admit:0 stored:0/1 getting"
                                                   << "r0 first - off";
    QTest::newRow("three records: no fourth request")
        << "start stored:0/3 stored:1/3 stored:2/3 getting"
        << "r0 r1 r2 - off";
    QTest::newRow("96: two records") << "start96 half:0 stored:0/2 half:1 stored:1/2 getting"
                                     << "r0h0 r0h1 r1h0 r1h1 - off";
    QTest::newRow("ticks after the last record send nothing")
        << "start tick stored:0/1 tick tick tick"
        << "r0 - - - - -";
    QTest::newRow("reports after the last record are dropped") << "start stored:0/1 admit:0 admit:1"
                                                               << "r0 - drop drop";
}

void TestRetrieval::lastRecord()
{
    check();
}

void TestRetrieval::stopping_data()
{
    scriptColumns();
    QTest::newRow("stop ends the retrieval") << "start stop getting"
                                             << "r0 - off";
    QTest::newRow("ticks after stop send nothing") << "start tick stop tick tick tick"
                                                   << "r0 - - - - -";
    QTest::newRow("report in transit after stop is dropped")
        << "start admit:0 stored:0/3 stop admit:1"
        << "r0 first r1 - drop";
    QTest::newRow("first half after stop asks nothing") << "start96 stop half:0"
                                                        << "r0h0 - -";
    QTest::newRow("stop without a retrieval") << "stop getting tick"
                                              << "- off -";
}

void TestRetrieval::stopping()
{
    check();
}

void TestRetrieval::restart_data()
{
    scriptColumns();
    QTest::newRow("restart mid-retrieval asks record 0") << "start stored:0/3 stored:1/3 start"
                                                         << "r0 r1 r2 r0";
    QTest::newRow("restart admits record 0 again")
        << "start admit:0 stored:0/3 admit:0 start admit:0 admit:1"
        << "r0 first r1 drop r0 first drop";
    QTest::newRow("first tick after restart only takes note") << "start tick tick start tick tick"
                                                              << "r0 - r0 r0 - r0";
    QTest::newRow("96: restart after a first half asks half 0") << "start96 half:0 start96"
                                                                << "r0h0 r0h1 r0h0";
    QTest::newRow("restart as 96 channels") << "start stored:0/3 start96"
                                            << "r0 r1 r0h0";
    QTest::newRow("restart after stop") << "start stored:0/3 stop start admit:0 getting"
                                        << "r0 r1 - r0 first on";
    QTest::newRow("restart after completion") << "start stored:0/1 start admit:0 getting"
                                              << "r0 - r0 first on";
}

void TestRetrieval::restart()
{
    check();
}

void TestRetrieval::admission_data()
{
    scriptColumns();
    QTest::newRow("no retrieval: record 0 dropped") << "admit:0"
                                                    << "drop";
    QTest::newRow("no retrieval: any record dropped") << "admit:1 admit:5"
                                                      << "drop drop";
    QTest::newRow("record 0 starts the list") << "start admit:0"
                                              << "r0 first";
    QTest::newRow("96: record 0 starts the list") << "start96 admit:0"
                                                  << "r0h0 first";
    QTest::newRow("the next record") << "start stored:0/3 admit:1"
                                     << "r0 r1 next";
    QTest::newRow("second record 0 after record 0 was stored") << "start stored:0/3 admit:0"
                                                               << "r0 r1 drop";
    QTest::newRow("duplicate of record 1") << "start stored:0/3 stored:1/3 admit:1"
                                           << "r0 r1 r2 drop";
    QTest::newRow("jump ahead from the start") << "start admit:1"
                                               << "r0 drop";
    QTest::newRow("jump ahead later") << "start stored:0/5 admit:3"
                                      << "r0 r1 drop";
    QTest::newRow("the next record still taken after drops")
        << "start stored:0/3 admit:0 admit:2 admit:1"
        << "r0 r1 drop drop next";
    QTest::newRow("admission alone does not advance") << "start admit:0 admit:0 admit:1"
                                                      << "r0 first first drop";
}

void TestRetrieval::admission()
{
    check();
}

void TestRetrieval::secondHalf_data()
{
    scriptColumns();
    QTest::newRow("first half of record 0 asks its second half") << "start96 half:0"
                                                                 << "r0h0 r0h1";
    QTest::newRow("first half of record 1") << "start96 half:0 stored:0/3 half:1"
                                            << "r0h0 r0h1 r1h0 r1h1";
    QTest::newRow("first half of another record") << "start96 half:1"
                                                  << "r0h0 -";
    QTest::newRow("late first half of the previous record") << "start96 half:0 stored:0/3 half:0"
                                                            << "r0h0 r0h1 r1h0 -";
    QTest::newRow("another record's half leaves the retry at half 0") << "start96 tick half:5 tick"
                                                                      << "r0h0 - - r0h0";
    QTest::newRow("after stop") << "start96 stop half:0"
                                << "r0h0 - -";
    QTest::newRow("no retrieval") << "half:0"
                                  << "-";
    QTest::newRow("not a 96-channel retrieval") << "start half:0"
                                                << "r0 -";
    QTest::newRow("after the last record") << "start96 half:0 stored:0/1 half:0"
                                           << "r0h0 r0h1 - -";
}

void TestRetrieval::secondHalf()
{
    check();
}

// A meter that reports no records: its record 0 (of total 0) is admitted but never stored, so
// the retrieval keeps asking for record 0 until it is stopped.
void TestRetrieval::noRecords_data()
{
    scriptColumns();
    QTest::newRow("record 0 asked again at every tick after the first")
        << "start tick admit:0 tick admit:0 tick admit:0 tick"
        << "r0 - first r0 first r0 first r0";
    QTest::newRow("96 channels") << "start96 tick admit:0 tick tick"
                                 << "r0h0 - first r0h0 r0h0";
    QTest::newRow("until stopped") << "start tick tick admit:0 stop tick tick getting"
                                   << "r0 - r0 first - - - off";
}

void TestRetrieval::noRecords()
{
    check();
}

QTEST_APPLESS_MAIN(TestRetrieval)
#include "tst_retrieval.moc"
