#include "dialogs/limitsdialog.h"

#include "data/kinds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
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
        // Tarnex-8: positions 1..10; position 40's override is kept though the kind lacks it.
        LimitsDialog dialog(example(), Kind::Tarnex8, false);
        auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("tableChannels"));
        QCOMPARE(table->rowCount(), 10);
        QCOMPARE(table->item(0, 2)->checkState(), Qt::Unchecked);
        QCOMPARE(table->item(6, 3)->text(), QStringLiteral("-25"));
        Limits::LimitSet back;
        QString error;
        QVERIFY2(dialog.limits(&back, &error), qPrintable(error));
        Limits::LimitSet expected = example();
        expected.kind = Kind::Tarnex8;
        QCOMPARE(Limits::toJson(back), Limits::toJson(expected));

        dialog.findChild<QLineEdit*>(QStringLiteral("editMin"))->setText(QStringLiteral("5"));
        QVERIFY(!dialog.limits(&back, &error));
        QCOMPARE(error, QStringLiteral("the minimum 5 lies above the maximum 3"));
        table->item(2, 4)->setText(QStringLiteral("x"));
        QVERIFY(!dialog.limits(&back, &error));
        QCOMPARE(error, QStringLiteral("Channel 3: the maximum is not a number: x"));
        // No reading compares with these: every one would pass.
        for (const char* text : {"inf", "nan"}) {
            dialog.findChild<QLineEdit*>(QStringLiteral("editMin"))
                ->setText(QString::fromLatin1(text));
            QVERIFY(!dialog.limits(&back, &error));
            QCOMPARE(error, QStringLiteral("The minimum is not a number: ") + QLatin1String(text));
        }
    }

    // A loaded file names its kind, and the overrides the kind has no channel for.
    void loadNamesForeignOverrides()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("mux.json"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"({"kind": "Vendral8", "min": -30, "channels": {"2": {}, "7": {}, "12": {}}})");
        file.close();
        LimitsDialog dialog({}, Kind::CWDM18, false);
        QStringList warnings;
        dialog.setFileHandlers([&path](bool) { return path; },
                               [&warnings](const QString& text) { warnings << text; });
        dialog.findChild<QPushButton*>(QStringLiteral("btnLoad"))->click();
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("cbKind"))->currentText(),
                 QStringLiteral("Vendral-8"));
        QCOMPARE(warnings,
                 QStringList{QStringLiteral("The limits in %1 hold overrides for channels "
                                            "that Vendral-8 lacks: 7, 12. They are kept "
                                            "and judge nothing.")
                                 .arg(path)});
    }

    // Typing a value switches judging on; choosing another kind shows its channels and keeps
    // every override; limits that name their kind show it.
    void valuesSwitchOnAndKindsKeepOverrides()
    {
        Limits::LimitSet off = example();
        off.enabled = false;
        LimitsDialog dialog(off, Kind::CWDM18, false);
        auto* enabled = dialog.findChild<QCheckBox*>(QStringLiteral("checkEnabled"));
        auto* kind = dialog.findChild<QComboBox*>(QStringLiteral("cbKind"));
        auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("tableChannels"));
        QVERIFY(!enabled->isChecked());
        QCOMPARE(kind->currentText(), QStringLiteral("CWDM-18"));
        QTest::keyClicks(dialog.findChild<QLineEdit*>(QStringLiteral("editMaxSpread")), "4");
        QVERIFY(enabled->isChecked());
        enabled->setChecked(false);
        table->item(1, 3)->setText(QStringLiteral("-20"));
        QVERIFY(enabled->isChecked());

        kind->setCurrentIndex(kind->findText(QStringLiteral("MPO-12")));
        QCOMPARE(table->rowCount(), 12);
        QCOMPARE(table->item(1, 3)->text(), QStringLiteral("-20"));
        kind->setCurrentIndex(kind->findText(QStringLiteral("DWDM-48")));
        QCOMPARE(table->rowCount(), 48);
        QCOMPARE(table->item(39, 3)->text(), QStringLiteral("-20"));
        Limits::LimitSet back;
        QString error;
        QVERIFY2(dialog.limits(&back, &error), qPrintable(error));
        QCOMPARE(back.kind, int(Kind::DWDM48));
        QCOMPARE(back.channels.value(2).min, std::optional<double>(-20));

        Limits::LimitSet made = example();
        made.kind = Kind::MPO24;
        LimitsDialog other(made, Kind::CWDM18, false);
        QCOMPARE(other.findChild<QComboBox*>(QStringLiteral("cbKind"))->currentText(),
                 QStringLiteral("MPO-24"));
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
