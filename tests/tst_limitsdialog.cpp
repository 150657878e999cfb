#include "dialogs/limitsdialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

Limits::LimitSet example()
{
    QString error;
    return *Limits::fromJson(R"({"enabled": true, "name": "8-channel mux", "min": -30, "max": 3,
        "maxSpread": 6, "channels": {"1": {"check": false}, "7": {"min": -25, "max": 0},
        "40": {"min": -20}}})",
                             &error);
}

} // namespace

// The limits dialog shows a set and gives back what it shows; the store keeps the limits file's
// text under the top-level key "limits".
class TestLimitsDialog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsAndGivesBack()
    {
        // Channels 1..8; channel 40's override is kept though this kind has no channel 40.
        QList<int> numbers;
        QStringList labels;
        for (int n = 1; n <= 8; ++n) {
            numbers << n;
            labels << QString::number(1250 + 20 * n);
        }
        LimitsDialog dialog(example(), numbers, labels);
        auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("tableChannels"));
        QCOMPARE(table->rowCount(), 8);
        QCOMPARE(table->item(0, 2)->checkState(), Qt::Unchecked);
        QCOMPARE(table->item(6, 3)->text(), QStringLiteral("-25"));
        Limits::LimitSet back;
        QString error;
        QVERIFY2(dialog.limits(&back, &error), qPrintable(error));
        QCOMPARE(Limits::toJson(back), Limits::toJson(example()));

        dialog.findChild<QLineEdit*>(QStringLiteral("editMin"))->setText(QStringLiteral("5"));
        QVERIFY(!dialog.limits(&back, &error));
        QCOMPARE(error, QStringLiteral("the minimum 5 lies above the maximum 3"));
        table->item(2, 4)->setText(QStringLiteral("x"));
        QVERIFY(!dialog.limits(&back, &error));
        QCOMPARE(error, QStringLiteral("Channel 3: the maximum is not a number: x"));
    }

    void storeKeepsTheFileText()
    {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Nuvra"),
                           QCoreApplication::applicationName());
        QVERIFY(!LimitsStore::read().enabled);
        QVERIFY(!settings.contains(QStringLiteral("limits")));
        LimitsStore::store(example());
        settings.sync();
        QCOMPARE(settings.value(QStringLiteral("limits")).toString().toUtf8(),
                 Limits::toJson(example()));
        QCOMPARE(Limits::toJson(LimitsStore::read()), Limits::toJson(example()));
    }
};

QTEST_MAIN(TestLimitsDialog)
#include "tst_limitsdialog.moc"
