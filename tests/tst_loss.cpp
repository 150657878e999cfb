#include "data/kinds.h"
#include "data/loss.h"
#include "testsupport.h"

#include <QTest>

using Limits::Reading;

using Positions = QMap<int, double>;

namespace {

Positions positions(std::initializer_list<std::pair<int, double>> values)
{
    Positions out;
    for (const auto& [position, dbm] : values)
        out.insert(position, dbm);
    return out;
}

// "2:4.50:3.50:-1.00:FAIL" per channel: position, loss, budget, margin, verdict ("-" for none).
QStringList channels(const Loss::RecordLoss& r)
{
    const auto number = [](const std::optional<double>& v) {
        return v ? QString::number(*v, 'f', 2) : QStringLiteral("-");
    };
    QStringList out;
    for (const Loss::ChannelLoss& c : r.channels)
        out << QStringLiteral("%1:%2:%3:%4:%5")
                   .arg(c.position)
                   .arg(number(c.loss), number(c.budget), number(c.margin),
                        c.verdict ? Loss::verdictText(*c.verdict) : QStringLiteral("-"));
    return out;
}

Loss::Budget budget(const QByteArray& json)
{
    QString error;
    return Loss::budgetFromJson(json, &error).value_or(Loss::Budget{});
}

} // namespace

// Loss against a reference and its budget: each rule by worked examples, and the two files.
class TestLoss : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void judge_data()
    {
        QTest::addColumn<Positions>("reference");
        QTest::addColumn<QList<Reading>>("readings");
        QTest::addColumn<QByteArray>("budget");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("record");
        const QByteArray b35 = R"({"maxLoss": 3.5})";
        QTest::newRow("within the budget")
            << positions({{1, -2.5}}) << QList<Reading>{{1, -5.0}} << b35
            << QStringList{"1:2.50:3.50:1.00:PASS"} << "PASS";
        QTest::newRow("equal to the budget passes")
            << positions({{1, -2.5}}) << QList<Reading>{{1, -6.0}} << b35
            << QStringList{"1:3.50:3.50:0.00:PASS"} << "PASS";
        QTest::newRow("over the budget, margin negative")
            << positions({{1, -2.5}}) << QList<Reading>{{1, -7.0}} << b35
            << QStringList{"1:4.50:3.50:-1.00:FAIL"} << "FAIL";
        QTest::newRow("a small gain is measurement noise")
            << positions({{1, -2.5}}) << QList<Reading>{{1, -2.2}} << b35
            << QStringList{"1:-0.30:3.50:3.80:PASS"} << "PASS";
        QTest::newRow("a gain below -0.3 dB: check the reference, never pass")
            << positions({{1, -2.5}}) << QList<Reading>{{1, -1.9}} << b35
            << QStringList{"1:-0.60:3.50:4.10:CHECK REF"} << "CHECK REF";
        QTest::newRow("a failure outweighs a reference to check")
            << positions({{1, -2.5}, {2, -2.5}}) << QList<Reading>{{1, -1.9}, {2, -7.0}} << b35
            << QStringList{"1:-0.60:3.50:4.10:CHECK REF", "2:4.50:3.50:-1.00:FAIL"} << "FAIL";
        QTest::newRow("a channel the reference does not name")
            << positions({{1, -2.5}}) << QList<Reading>{{1, -5.0}, {2, -5.0}} << b35
            << QStringList{"1:2.50:3.50:1.00:PASS", "2:-:3.50:-:-"} << "PASS";
        QTest::newRow("dark in the record or in the reference")
            << positions({{1, -2.5}, {2, -55.0}}) << QList<Reading>{{1, -60.0}, {2, -5.0}} << b35
            << QStringList{"1:-:3.50:-:-", "2:-:3.50:-:-"} << "";
        QTest::newRow("an override, and a channel not checked")
            << positions({{1, -2.5}, {4, -2.5}, {9, -2.5}})
            << QList<Reading>{{1, -5.5}, {4, -5.0}, {9, -20.0}}
            << QByteArray(R"({"maxLoss": 3.5, "channels": {"4": {"maxLoss": 2.0}, "9": {"check": false}}})")
            << QStringList{"1:3.00:3.50:0.50:PASS", "4:2.50:2.00:-0.50:FAIL", "9:17.50:-:-:-"}
            << "FAIL";
        QTest::newRow("nothing checked: no verdict")
            << positions({{1, -2.5}}) << QList<Reading>{{1, -5.0}}
            << QByteArray(R"({"channels": {"1": {"check": false}}})")
            << QStringList{"1:2.50:-:-:-"} << "";
        // 12.5 km x 0.35 dB/km + 2 x 0.75 dB + 3 x 0.3 dB = 4.375 + 1.5 + 0.9 = 6.775 dB.
        QTest::newRow("a budget computed from the link, the standards' defaults")
            << positions({{1, 0.0}}) << QList<Reading>{{1, -6.7}}
            << QByteArray(R"({"link": {"lengthKm": 12.5, "dbPerKm": 0.35, "connectorPairs": 2, "splices": 3}})")
            << QStringList{"1:6.70:6.78:0.08:PASS"} << "PASS";
        // 2 km x 0.4 dB/km + 4 x 0.5 dB + 1 x 0.1 dB = 0.8 + 2.0 + 0.1 = 2.9 dB; the override wins.
        QTest::newRow("a computed budget with its own figures, and an override")
            << positions({{1, 0.0}, {2, 0.0}}) << QList<Reading>{{1, -3.0}, {2, -3.0}}
            << QByteArray(R"({"link": {"lengthKm": 2, "dbPerKm": 0.4, "connectorPairs": 4,
                "splices": 1, "dbPerConnectorPair": 0.5, "dbPerSplice": 0.1},
                "channels": {"2": {"maxLoss": 3.5}}})")
            << QStringList{"1:3.00:2.90:-0.10:FAIL", "2:3.00:3.50:0.50:PASS"} << "FAIL";
    }
    void judge()
    {
        QFETCH(Positions, reference);
        QFETCH(QList<Reading>, readings);
        QFETCH(QByteArray, budget);
        QFETCH(QStringList, expected);
        QFETCH(QString, record);
        Loss::Reference ref;
        ref.channels = reference;
        const Loss::RecordLoss r = Loss::judge(ref, ::budget(budget), readings);
        QCOMPARE(channels(r), expected);
        QCOMPARE(r.verdict ? Loss::verdictText(*r.verdict) : QString(), record);
    }

    // A record's total is not a channel: it has no loss, whatever the reference names.
    void totalsAreNotJudged()
    {
        const Measurement m = TestSupport::measurement(Kind::DWDM49TOTAL, QVector<qint16>(60, -500));
        Loss::Reference ref;
        for (int position = 1; position <= 60; ++position)
            ref.channels.insert(position, 0.0);
        const Loss::RecordLoss r = Loss::judge(ref, budget(R"({"maxLoss": 10})"), m);
        QVERIFY(!r.channels.isEmpty());
        for (const Loss::ChannelLoss& c : r.channels)
            QVERIFY(c.position <= channelCount(Kind::DWDM49TOTAL));
        QCOMPARE(Loss::referenceFrom(m, "M").channels.size(), r.channels.size());
    }

    void files_data()
    {
        QTest::addColumn<bool>("reference");
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error"); // empty: read, and written back the same
        QTest::newRow("reference") << true
                                   << QByteArray(R"({"name": "Mux A launch", "kind": "CWDM18",
                                         "meter": "Ruvo730 RV7300123", "date": "2026-03-01 10:00:00",
                                         "channels": {"1": -2.5, "2": -2.4}})")
                                   << "";
        QTest::newRow("budget") << false
                                << QByteArray(R"({"name": "Ring", "maxLoss": 3.5, "channels":
                                      {"4": {"maxLoss": 2}, "9": {"check": false}}})")
                                << "";
        QTest::newRow("budget from the link") << false
                                              << QByteArray(R"({"link": {"lengthKm": 12.5,
            "dbPerKm": 0.35, "connectorPairs": 2, "splices": 3}})")
                                              << "";
        QTest::newRow("reference, unknown key")
            << true << QByteArray(R"({"chanels": {"1": -2}})") << "\"chanels\" is not a key";
        QTest::newRow("reference without channels")
            << true << QByteArray(R"({"name": "x", "channels": {}})") << "at least one channel";
        QTest::newRow("reference, power not a number")
            << true << QByteArray(R"({"channels": {"1": "-2"}})") << "channel 1: the power";
        QTest::newRow("reference, channel not a position")
            << true << QByteArray(R"({"channels": {"01": -2}})") << "channel \"01\" is not";
        QTest::newRow("reference, unknown kind")
            << true << QByteArray(R"({"kind": "CWDM19", "channels": {"1": -2}})")
            << "\"kind\" must name";
        QTest::newRow("budget, not JSON") << false << QByteArray("maxLoss: 3") << "not JSON";
        QTest::newRow("budget, nothing to judge by") << false << QByteArray("{}") << "no maximum";
        QTest::newRow("budget, both maxLoss and link")
            << false
            << QByteArray(R"({"maxLoss": 3, "link": {"lengthKm": 1, "dbPerKm": 1,
                 "connectorPairs": 0, "splices": 0}})")
            << "not both";
        QTest::newRow("budget, negative") << false << QByteArray(R"({"maxLoss": -1})")
                                          << "must not be negative";
        QTest::newRow("budget, link incomplete")
            << false << QByteArray(R"({"link": {"lengthKm": 1}})") << "are needed";
        QTest::newRow("budget, half a splice")
            << false
            << QByteArray(R"({"link": {"lengthKm": 1, "dbPerKm": 1, "connectorPairs": 0,
                 "splices": 1.5}})")
            << "whole number";
        QTest::newRow("budget, override key misspelt")
            << false << QByteArray(R"({"maxLoss": 3, "channels": {"4": {"maxloss": 2}}})")
            << "channel 4: \"maxloss\" is not a key";
    }
    void files()
    {
        QFETCH(bool, reference);
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        QString why;
        QByteArray again;
        bool read = false;
        if (reference) {
            const auto r = Loss::referenceFromJson(json, &why);
            read = bool(r);
            if (r)
                again = Loss::toJson(*Loss::referenceFromJson(Loss::toJson(*r), &why));
            if (r)
                QCOMPARE(again, Loss::toJson(*r));
        } else {
            const auto b = Loss::budgetFromJson(json, &why);
            read = bool(b);
            if (b)
                QCOMPARE(Loss::toJson(*Loss::budgetFromJson(Loss::toJson(*b), &why)),
                         Loss::toJson(*b));
        }
        QCOMPARE(read, error.isEmpty());
        if (!error.isEmpty())
            QVERIFY2(why.contains(error), qPrintable(why));
    }
};

QTEST_MAIN(TestLoss)
#include "tst_loss.moc"
