#include "app/comparewindow.h"
#include "files/archivestore.h"
#include "testsupport.h"

#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using TestSupport::child;

// The Compare window over an archive written here and a current download: two records of one
// kind channel by channel, and records it refuses to compare.
namespace {

// Channel c of "North 1" reads -10 - c dBm; "North 2" 0.5 dB more, but 2.5 dB less on channel
// 5 and dark on channel 18.
Measurement record(int kind, const QByteArray& name, int offsetOn5 = 0, int offset = 0)
{
    QVector<qint16> readings;
    for (int c = 0; c < 18; ++c)
        readings << qint16(c == 17 && offset ? -6000
                                             : -1000 - 100 * c + (c == 4 ? offsetOn5 : offset));
    TestSupport::Values v;
    v.name = name;
    v.index = name.endsWith('2') ? 1 : 0;
    v.total = 2;
    return TestSupport::measurement(kind, readings, v);
}

bool archive(const QString& path, int kind, const QList<Measurement>& records, int minutes)
{
    ArchiveStore store(path);
    Archive::Download d;
    d.id = QUuid::createUuid();
    d.meter.product = QStringLiteral("Ruvo730");
    d.meter.serial = QStringLiteral("S1");
    d.meter.kind = d.kind = kind;
    d.total = int(records.size());
    d.started = QDateTime({2026, 3, 1}, {10, minutes});
    QList<Archive::Entry> entries;
    for (const Measurement& m : records)
        entries.append({m, std::nullopt});
    return store.begin(d) && store.add(d.id, entries) && store.end(d.id, d.started, true);
}

} // namespace

class TestCompareWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        const QString path = m_dir.filePath("archive.sqlite");
        QVERIFY(archive(path, 1, {record(1, "North 1"), record(1, "North 2", -250, 50)}, 0));
        QVERIFY(archive(path, 2, {record(2, "East 1")}, 5));
    }

    void comparisons_data()
    {
        QTest::addColumn<int>("sourceB"); // 0 the current download, then the archive's newest first
        QTest::addColumn<QStringList>("rows"); // channels 1, 5 and 18
        QTest::addColumn<QString>("largest");
        QTest::addColumn<QString>("problem");
        QTest::newRow("one kind") << 2
                                  << QStringList{"1 | 1270 | -10 | -9.5 | -0.50",
                                                 "5 | 1350 | -14 | -16.5 | +2.50",
                                                 "18 | 1610 | -27 | Low | "}
                                  << "Largest difference: +2.50 dB on channel 5 (1350)"
                                  << "";
        QTest::newRow("different kinds")
            << 1 << QStringList() << ""
            << "A is a CWDM-18 record and B a DWDM-48 record: only records of one kind are "
               "compared.";
    }
    void comparisons()
    {
        QFETCH(int, sourceB);
        QFETCH(QStringList, rows);
        QFETCH(QString, largest);
        QFETCH(QString, problem);
        CompareWindow w(m_dir.filePath("archive.sqlite"));
        w.setCurrent(QStringLiteral("Ruvo730"), QStringLiteral("S9"), {record(1, "North 1")});
        w.show();
        QCOMPARE(child<QComboBox>(w, "cbCompareSourceA")->currentText(),
                 "Current download (Ruvo730 S9, 1 record)");
        QCOMPARE(child<QComboBox>(w, "cbCompareSourceB")->itemText(2),
                 "2026-03-01 10:00:00 Ruvo730 S1 (2 records)");
        child<QComboBox>(w, "cbCompareSourceB")->setCurrentIndex(sourceB);
        child<QComboBox>(w, "cbCompareRecordB")->setCurrentIndex(sourceB == 2 ? 1 : 0);

        auto* tree = child<QTreeWidget>(w, "treeCompare");
        QStringList shown;
        for (int i : {0, 4, 17}) {
            if (QTreeWidgetItem* item = tree->topLevelItem(i))
                shown << QStringList{item->text(0), item->text(1), item->text(2), item->text(3),
                                     item->text(4)}
                             .join(" | ");
        }
        QCOMPARE(shown, rows);
        QCOMPARE(child<QLabel>(w, "labelCompareLargest")->text(), largest);
        QCOMPARE(child<QLabel>(w, "labelCompareProblem")->text(), problem);
    }
};

QTEST_MAIN(TestCompareWindow)
#include "tst_comparewindow.moc"
