#include "data/limits.h"

#include <QTest>

using Limits::LimitSet;
using Limits::Reading;

Q_DECLARE_METATYPE(Limits::LimitSet)

namespace {

// The limits of the worked example: -30..3 dBm, 6 dB spread, channel 1 dark, channel 7 -25..0.
LimitSet mux()
{
    LimitSet l;
    l.enabled = true;
    l.name = QStringLiteral("8-channel mux");
    l.min = -30;
    l.max = 3;
    l.maxSpread = 6;
    l.channels.insert(1, {false, {}, {}});
    l.channels.insert(7, {true, -25.0, 0.0});
    return l;
}

// "2:PASS:+1.5" per checked channel, for one comparison of the whole result.
QStringList verdicts(const Limits::RecordResult& r)
{
    QStringList out;
    for (const Limits::ChannelResult& c : r.channels)
        out << QStringLiteral("%1:%2:%3")
                   .arg(c.number)
                   .arg(Limits::verdictText(c.verdict))
                   .arg(c.margin, 0, 'f', 2);
    return out;
}

} // namespace

// Verdicts against limits, and the limits file: each rule by worked examples.
class TestLimits : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void judge_data()
    {
        QTest::addColumn<LimitSet>("limits");
        QTest::addColumn<QList<Reading>>("readings");
        QTest::addColumn<QStringList>("channels");
        QTest::addColumn<bool>("pass");
        QTest::addColumn<double>("spread"); // -1: none
        QTest::newRow("inside, margins to the nearer limit")
            << mux() << QList<Reading>{{2, -10}, {3, -8}}
            << QStringList{"2:PASS:13.00", "3:PASS:11.00"} << true << 2.0;
        QTest::newRow("equal to the limits passes")
            << mux() << QList<Reading>{{2, -30}, {3, 3}}
            << QStringList{"2:PASS:0.00", "3:PASS:0.00"} << false << 33.0;
        QTest::newRow("below and above")
            << mux() << QList<Reading>{{2, -30.01}, {3, 3.5}}
            << QStringList{"2:LOW:-0.01", "3:HIGH:-0.50"} << false << 33.51;
        QTest::newRow("dark channel never checked, override applies")
            << mux() << QList<Reading>{{1, -99}, {7, -26}, {8, -24}}
            << QStringList{"7:LOW:-1.00", "8:PASS:6.00"} << false << 2.0;
        QTest::newRow("a value shown as High is judged by its value")
            << mux() << QList<Reading>{{2, 20}} << QStringList{"2:HIGH:-17.00"} << false << -1.0;
        QTest::newRow("spread equal to the maximum passes")
            << mux() << QList<Reading>{{2, -10}, {3, -4}}
            << QStringList{"2:PASS:13.00", "3:PASS:7.00"} << true << 6.0;
        QTest::newRow("spread above the maximum fails")
            << mux() << QList<Reading>{{2, -10.5}, {3, -4}}
            << QStringList{"2:PASS:13.50", "3:PASS:7.00"} << false << 6.5;
        LimitSet minOnly;
        minOnly.min = -20;
        QTest::newRow("minimum only")
            << minOnly << QList<Reading>{{1, 10}, {2, -21}}
            << QStringList{"1:PASS:30.00", "2:LOW:-1.00"} << false << 31.0;
        // A record that shows nothing checked proves nothing: it does not pass.
        QTest::newRow("no limits: nothing checked")
            << LimitSet() << QList<Reading>{{1, -60}} << QStringList{} << false << -1.0;
        QTest::newRow("only the dark channel carried")
            << mux() << QList<Reading>{{1, -60}} << QStringList{} << false << -1.0;
        QTest::newRow("override for a channel the kind lacks does not apply")
            << mux() << QList<Reading>{{2, -5}} << QStringList{"2:PASS:8.00"} << true << -1.0;
    }
    void judge()
    {
        QFETCH(LimitSet, limits);
        QFETCH(QList<Reading>, readings);
        QFETCH(QStringList, channels);
        QFETCH(bool, pass);
        QFETCH(double, spread);
        const Limits::RecordResult r = Limits::judge(limits, readings);
        QCOMPARE(verdicts(r), channels);
        QCOMPARE(r.pass, pass);
        QCOMPARE(r.spread.has_value(), spread >= 0);
        if (r.spread)
            QCOMPARE(qRound(*r.spread * 100), qRound(spread * 100));
    }

    void roundTrip()
    {
        QString error;
        const std::optional<LimitSet> again = Limits::fromJson(Limits::toJson(mux()), &error);
        QVERIFY2(again, qPrintable(error));
        QCOMPARE(Limits::toJson(*again), Limits::toJson(mux()));
        QCOMPARE(again->name, QStringLiteral("8-channel mux"));
        QVERIFY(!again->channels.value(1).check);
        QCOMPARE(again->channels.value(7).min, std::optional<double>(-25));
        QCOMPARE(again->maxSpread, std::optional<double>(6));
    }

    void exampleFileReads()
    {
        QString error;
        const auto l = Limits::fromJson(
            R"({"enabled": true, "name": "8-channel mux", "min": -30, "max": 3, "maxSpread": 6,
                "channels": {"1": {"check": false}, "7": {"min": -25, "max": 0}}})",
            &error);
        QVERIFY2(l, qPrintable(error));
        QCOMPARE(Limits::toJson(*l), Limits::toJson(mux()));
        QVERIFY(Limits::fromJson("{}", &error));
    }

    void malformed_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("problem");
        QTest::newRow("not JSON") << QByteArray("min: -30") << "not JSON";
        QTest::newRow("an array") << QByteArray("[1]") << "not a JSON object";
        QTest::newRow("min as text")
            << QByteArray(R"({"min": "-30"})") << "\"min\" must be a number";
        QTest::newRow("enabled as number")
            << QByteArray(R"({"enabled": 1})") << "\"enabled\" must be true or false";
        QTest::newRow("min above max")
            << QByteArray(R"({"min": 5, "max": 3})") << "the minimum 5 lies above the maximum 3";
        QTest::newRow("override above the global max")
            << QByteArray(R"({"max": 3, "channels": {"2": {"min": 4}}})")
            << "channel 2: the minimum 4 lies above the maximum 3";
        QTest::newRow("channel zero") << QByteArray(R"({"channels": {"0": {}}})")
                                      << "channel \"0\" is not a positive whole number";
        QTest::newRow("channel 1.5") << QByteArray(R"({"channels": {"1.5": {}}})")
                                     << "channel \"1.5\" is not a positive whole number";
        QTest::newRow("channel as number")
            << QByteArray(R"({"channels": {"3": -20}})") << "channel 3: must be an object";
        QTest::newRow("channels as list")
            << QByteArray(R"({"channels": [1]})") << "\"channels\" must be an object";
        QTest::newRow("name as number")
            << QByteArray(R"({"name": 8})") << "\"name\" must be a text";
        QTest::newRow("negative spread")
            << QByteArray(R"({"maxSpread": -1})") << "\"maxSpread\" must not be negative";
        QTest::newRow("misspelt key")
            << QByteArray(R"({"mxa": 3})") << "\"mxa\" is not a key of a limits file";
        QTest::newRow("misspelt channel key") << QByteArray(R"({"channels": {"2": {"mni": -20}}})")
                                              << "channel 2: \"mni\" is not a key of a limits file";
        QTest::newRow("unknown kind")
            << QByteArray(R"({"kind": "CWDM19"})") << "\"kind\" must name a device kind";
    }
    // Limits judge a kind only when they were made for it (or for any kind) and give one of
    // its channels a minimum or a maximum; anything else would pass every record unjudged.
    void applicable_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("why");
        QTest::addColumn<QList<int>>("foreign");
        QTest::newRow("global minimum") << QByteArray(R"({"min": -30})") << 1 << "" << QList<int>{};
        QTest::newRow("one override")
            << QByteArray(R"({"channels": {"3": {"max": 0}}})") << 1 << "" << QList<int>{};
        QTest::newRow("made for this kind")
            << QByteArray(R"({"kind": "cwdm18", "min": -30})") << 1 << "" << QList<int>{};
        QTest::newRow("empty") << QByteArray("{}") << 1 << "the limits check no channel of CWDM-18"
                               << QList<int>{};
        QTest::newRow("spread alone") << QByteArray(R"({"maxSpread": 6})") << 1
                                      << "the limits check no channel of CWDM-18" << QList<int>{};
        QTest::newRow("overrides beyond the kind")
            << QByteArray(R"({"channels": {"19": {"min": -30}, "2": {"check": false}}})") << 1
            << "the limits check no channel of CWDM-18" << QList<int>{19};
        QTest::newRow("global limits, every channel off but one")
            << QByteArray(R"({"min": -30, "channels": {"1": {"check": false}}})") << 10 << ""
            << QList<int>{};
        QTest::newRow("made for another kind")
            << QByteArray(R"({"kind": "DWDM48", "min": -30, "channels": {"40": {}}})") << 1
            << "the limits were made for DWDM-48 and check no channel of CWDM-18" << QList<int>{40};
    }
    void applicable()
    {
        QFETCH(QByteArray, json);
        QFETCH(int, kind);
        QFETCH(QString, why);
        QFETCH(QList<int>, foreign);
        QString error;
        const std::optional<LimitSet> l = Limits::fromJson(json, &error);
        QVERIFY2(l, qPrintable(error));
        QCOMPARE(Limits::notApplicable(*l, kind), why);
        QCOMPARE(Limits::foreignChannels(*l, kind), foreign);
        QCOMPARE(Limits::fromJson(Limits::toJson(*l), &error)->kind, l->kind);
    }

    void malformed()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, problem);
        QString error;
        QVERIFY(!Limits::fromJson(json, &error));
        QVERIFY2(error.startsWith(problem), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestLimits)
#include "tst_limits.moc"
