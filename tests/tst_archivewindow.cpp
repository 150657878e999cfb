#include "app/archivewindow.h"
#include "app/prompts.h"
#include "data/lossstore.h"
#include "files/archivestore.h"
#include "files/reportcontent.h"
#include "files/reportformats.h"
#include "graph/graphpicture.h"
#include "graph/graphwidget.h"
#include "testsupport.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using TestSupport::child;

// The archive window over an archive written here: the tree of downloads, its filters, a
// download's records and channels, its reports, and changing or deleting a download.
namespace {

struct Planned {
    QString job, serial;
    int kind;
    QDateTime started;
    int total;
    bool complete, judged;
    QStringList names;
};

// Five downloads, oldest first; the fourth judged its second record a failure.
// clang-format off
const QList<Planned> plans = {
    {"Trunk", "M1", 10, QDateTime({2026, 2, 27}, {9, 0}), 2, true, false, {"Trunk 1", "Trunk 2"}},
    {"Site A", "S1", 1, QDateTime({2026, 3, 1}, {10, 0}), 3, true, false, {"North 1", "North 2", "North 3"}},
    {"Site A", "S2", 1, QDateTime({2026, 3, 2}, {9, 0}), 2, true, true, {"East 1", "East 2"}},
    {"", "S1", 1, QDateTime({2026, 3, 3}, {8, 0}), 5, false, true, {"Splice 7", "Splice 8"}},
    {"Site A", "S1", 1, QDateTime({2026, 3, 4}, {10, 0}), 1, true, false, {"West 1"}},
};
// clang-format on

// The records of a download: dated on its day, a minute apart; "Splice 8" reads -35 dBm on its
// first channel.
QList<Measurement> recordsOf(const Planned& p)
{
    QList<Measurement> records;
    const QDate day = p.started.date();
    for (int i = 0; i < p.names.size(); ++i) {
        QVector<qint16> readings;
        for (int c = 0; c < 24; ++c)
            readings << qint16(p.names.at(i) == "Splice 8" && c == 0 ? -3500 : -1000 - 100 * c);
        TestSupport::Values v;
        v.name = p.names.at(i).toLatin1();
        v.date = TestSupport::dateWord(uint(day.year()), uint(day.month()), uint(day.day()));
        v.time = TestSupport::timeWord(uint(p.started.time().hour()), uint(i), 0);
        v.index = i;
        v.total = p.total;
        v.mode = 1;
        records << TestSupport::measurement(p.kind, readings, v);
    }
    return records;
}

Archive::Download downloadOf(const Planned& p)
{
    Archive::Download d;
    d.id = QUuid::createUuid();
    d.meter.product = p.kind == 10 ? "Velo12" : "Ruvo730";
    d.meter.serial = p.serial;
    d.meter.kind = d.kind = p.kind;
    d.total = p.total;
    d.started = p.started;
    d.job = p.job;
    d.limits.enabled = p.judged;
    d.limits.min = -30;
    d.limits.max = 3;
    return d;
}

bool writeArchive(const QString& path)
{
    ArchiveStore store(path);
    for (const Planned& p : plans) {
        const Archive::Download d = downloadOf(p);
        QList<Archive::Entry> entries;
        for (const Measurement& m : recordsOf(p))
            entries.append(
                {m, p.judged ? std::optional<bool>(ReportContent::recordVerdict(d.limits, m)->pass)
                             : std::nullopt});
        if (!store.begin(d) || !store.add(d.id, entries) ||
            !store.end(d.id, p.started.addSecs(60), p.complete))
            return false;
    }
    return true;
}

QTreeWidget* tree(ArchiveWindow& w)
{
    return child<QTreeWidget>(w, "treeArchive");
}

// The tree as indented lines: groups by their text, downloads by their columns.
QStringList outline(QTreeWidgetItem* item, int depth = 0)
{
    QStringList lines;
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem* c = item->child(i);
        const QString text = c->childCount()
                                 ? c->text(0)
                                 : QStringList{c->text(0), c->text(1), c->text(2)}.join(" | ");
        lines << QString(2 * depth, u' ') + text << outline(c, depth + 1);
    }
    return lines;
}

// The downloads listed, by their day ("03-04"), in the tree's order.
QStringList listed(ArchiveWindow& w)
{
    QStringList days;
    for (QTreeWidgetItem* item :
         tree(w)->findItems("2026-", Qt::MatchStartsWith | Qt::MatchRecursive))
        days << item->text(0).mid(5, 5);
    return days;
}

// The download made on `day` ("03-04").
QTreeWidgetItem* downloadItem(ArchiveWindow& w, const QString& day)
{
    return tree(w)->findItems("2026-" + day, Qt::MatchStartsWith | Qt::MatchRecursive).value(0);
}

void choose(ArchiveWindow& w, const QString& day)
{
    tree(w)->setCurrentItem(downloadItem(w, day));
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

} // namespace

class TestArchiveWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QList<Prompts::Request> m_prompts;
    QMessageBox::StandardButton m_answer = QMessageBox::Ok;

    // The window over this test's archive, shown, and so listing it.
    std::unique_ptr<ArchiveWindow> window(const QString& file = "archive.sqlite")
    {
        auto w = std::make_unique<ArchiveWindow>(m_dir->filePath(file), false);
        w->show();
        return w;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(writeArchive(m_dir->filePath("archive.sqlite")));
        m_prompts.clear();
        m_answer = QMessageBox::Ok;
        Prompts::setResponder([this](const Prompts::Request& r) {
            m_prompts << r;
            return m_answer;
        });
    }

    void groupsByJobAndMeterNewestFirst()
    {
        const auto w = window();
        QCOMPARE(w->windowTitle(), "Velumin Archive");
        QCOMPARE(
            outline(tree(*w)->invisibleRootItem()),
            QStringList({"Site A", "  Ruvo730 S1", "    2026-03-04 10:00:00 | 1 record | ",
                         "    2026-03-01 10:00:00 | 3 records | ", "  Ruvo730 S2",
                         "    2026-03-02 09:00:00 | 2 records | PASS", "(no job)", "  Ruvo730 S1",
                         "    2026-03-03 08:00:00 | 2 of 5 records, incomplete | FAIL (1 failed)",
                         "Trunk", "  Velo12 M1", "    2026-02-27 09:00:00 | 2 records | "}));
        QVERIFY(!child<QLabel>(*w, "labelArchiveError")->isVisible());
    }

    void filters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("verdict");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("all") << "" << 0 << QStringList{"03-04", "03-01", "03-02", "03-03", "02-27"};
        QTest::newRow("job") << "site a" << 0 << QStringList{"03-04", "03-01", "03-02"};
        QTest::newRow("serial") << "S2" << 0 << QStringList{"03-02"};
        QTest::newRow("record name") << "splice" << 0 << QStringList{"03-03"};
        QTest::newRow("date") << "2026-03-02" << 0 << QStringList{"03-02"};
        QTest::newRow("passed") << "" << 1 << QStringList{"03-02"};
        QTest::newRow("failed") << "" << 2 << QStringList{"03-03"};
        QTest::newRow("not judged") << "" << 3 << QStringList{"03-04", "03-01", "02-27"};
        QTest::newRow("both") << "site a" << 2 << QStringList();
    }

    void filters()
    {
        QFETCH(QString, text);
        QFETCH(int, verdict);
        const auto w = window();
        child<QComboBox>(*w, "cbArchiveVerdict")->setCurrentIndex(verdict);
        QTest::keyClicks(child<QLineEdit>(*w, "editArchiveFilter"), text);
        QTEST(listed(*w), "shown");
    }

    void recordsAndDetail()
    {
        const auto w = window();
        choose(*w, "03-03");
        auto* records = child<QTreeWidget>(*w, "treeArchiveData");
        QCOMPARE(records->topLevelItemCount(), 2);
        QTreeWidgetItem* failed = records->topLevelItem(1);
        QCOMPARE(QStringList({failed->text(0), failed->text(1), failed->text(2)}),
                 QStringList({"Splice 8", "CWDM Data", "2026-03-03 08:01:00"}));
        const auto image = [](const QIcon& icon) { return icon.pixmap(16).toImage(); };
        QCOMPARE(image(records->topLevelItem(0)->icon(0)), image(QIcon(":/icon/image/accept.png")));
        QCOMPARE(image(failed->icon(0)), image(QIcon(":/icon/image/delete.png")));

        records->setCurrentItem(failed);
        auto* detail = child<QTreeWidget>(*w, "treeArchiveDetail");
        QCOMPARE(detail->headerItem()->text(2), "Wavelength (nm)");
        QCOMPARE(detail->topLevelItemCount(), 18);
        QCOMPARE(detail->topLevelItem(0)->text(3), "-35");
        QCOMPARE(detail->topLevelItem(0)->foreground(3).color(), Graph::LimitColour);
        QCOMPARE(detail->topLevelItem(0)->toolTip(3), "LOW, -5.00 dB");
        QCOMPARE(detail->topLevelItem(1)->text(3), "-11");
        child<QAction>(*w, "actionArchiveGraph")->trigger();
        QCOMPARE(w->graphWidget()->readings().value(0), -35.0);

        // A download no limits judged has no marks.
        choose(*w, "03-01");
        QCOMPARE(records->topLevelItemCount(), 3);
        QVERIFY(records->topLevelItem(0)->icon(0).isNull());
    }

    void reportsAsOfAFreshDownload_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<int>("download");
        QTest::addColumn<int>("row"); // the selected record; -1 for none
        QTest::newRow("csv") << "actionArchiveSaveData" << QByteArray("csv") << 2 << -1;
        QTest::newRow("json") << "actionArchiveExportJson" << QByteArray("json") << 3 << -1;
        QTest::newRow("mpo csv") << "actionArchiveSaveData" << QByteArray("csv") << 0 << 1;
    }

    void reportsAsOfAFreshDownload()
    {
        QFETCH(QString, action);
        QFETCH(QByteArray, format);
        QFETCH(int, download);
        QFETCH(int, row);
        const Planned& p = plans.at(download);
        const auto w = window();
        choose(*w, p.started.toString("MM-dd"));
        auto* records = child<QTreeWidget>(*w, "treeArchiveData");
        records->setCurrentItem(records->topLevelItem(row));
        const QString saved = m_dir->filePath("saved." + format);
        Prompts::setFileResponder([&](const Prompts::FileRequest&) { return saved; });
        child<QAction>(*w, qPrintable(action))->trigger();
        Prompts::setFileResponder({});

        const Archive::Download d = downloadOf(p);
        const Report all(d.meter, d.kind, false, d.limits, recordsOf(p), QDateTime());
        const QString expected = m_dir->filePath("expected");
        QString error;
        QCOMPARE(ReportFormats::writeFile(ReportFormats::format(format.constData()),
                                          row >= 0 ? all.single(row) : all, expected, &error),
                 ReportFormats::Outcome::Written);
        QCOMPARE(contents(saved), contents(expected));
    }

    // An archived record becomes the reference in force, from the record list's context menu.
    void useAsReference()
    {
        const auto w = window();
        choose(*w, "03-01");
        auto* records = child<QTreeWidget>(*w, "treeArchiveData");
        QAction* action = child<QAction>(*w, "actionArchiveSetReference");
        QVERIFY(records->actions().contains(action));
        records->setCurrentItem(records->topLevelItem(1));
        QSignalSpy said(w.get(), &ArchiveWindow::referenceSet);
        action->trigger();
        QCOMPARE(said.size(), 1);
        const Loss::Reference r = LossStore::reference();
        LossStore::storeReference({});
        QCOMPARE(QStringList({r.name, r.meter, r.date}),
                 QStringList({"North 2", "Ruvo730 S1", "2026-03-01 10:01:00"}));
        QCOMPARE(r.channels.value(18), -27.0);
        QCOMPARE(m_prompts.size(), 1);
        QCOMPARE(m_prompts.first().text, "The reference in force is now North 2, Ruvo730 S1, "
                                         "2026-03-01 10:01:00.");
    }

    void deletingAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("kept");
        QTest::newRow("no") << int(QMessageBox::No) << true;
        QTest::newRow("yes") << int(QMessageBox::Yes) << false;
    }

    void deletingAsksFirst()
    {
        QFETCH(int, answer);
        QFETCH(bool, kept);
        const auto w = window();
        choose(*w, "03-04");
        const QUuid id = w->shownDownload();
        m_answer = QMessageBox::StandardButton(answer);
        child<QAction>(*w, "actionArchiveDelete")->trigger();
        QCOMPARE(m_prompts.size(), 1);
        QCOMPARE(m_prompts.at(0).text, "Delete the download of Ruvo730 S1 started 2026-03-04 "
                                       "10:00:00 (1 record, job Site A) from the archive?");
        QCOMPARE(bool(downloadItem(*w, "03-04")), kept);
        QCOMPARE(
            ArchiveStore(m_dir->filePath("archive.sqlite")).download(id.toString()).has_value(),
            kept);
    }

    void editingJobs()
    {
        const auto w = window();
        choose(*w, "03-01");
        auto* job = child<QLineEdit>(*w, "editArchiveJob");
        QCOMPARE(job->text(), "Site A");
        job->setText("Site B");
        QTest::keyClick(job, Qt::Key_Return);
        // Its new group comes after "(no job)", whose download is newer; it stays chosen there.
        QCOMPARE(outline(tree(*w)->invisibleRootItem()).mid(8, 3),
                 QStringList({"Site B", "  Ruvo730 S1", "    2026-03-01 10:00:00 | 3 records | "}));
        QCOMPARE(tree(*w)->currentItem(), downloadItem(*w, "03-01"));

        // The job of new downloads is remembered for the main window and the next archive window.
        auto* next = child<QLineEdit>(*w, "editNextJob");
        next->setText("Batch 9");
        QTest::keyClick(next, Qt::Key_Return);
        QCOMPARE(Archive::nextJob(), "Batch 9");
        QCOMPARE(child<QLineEdit>(*window(), "editNextJob")->text(), "Batch 9");
    }

    void archiveThatCannotBeOpened()
    {
        QFile blocker(m_dir->filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        const auto w = window("file/archive.sqlite");
        auto* error = child<QLabel>(*w, "labelArchiveError");
        QVERIFY2(error->isVisible() && error->text().contains("cannot be made"),
                 qPrintable(error->text()));
        QCOMPARE(tree(*w)->topLevelItemCount(), 0);
    }
};

QTEST_MAIN(TestArchiveWindow)
#include "tst_archivewindow.moc"
