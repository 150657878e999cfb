#include "app/mainwindow.h"
#include "app/prompts.h"
#include "files/opendata.h"
#include "files/opendatawidget.h"
#include "metermodel.h"
#include "metersim.h"
#include "tests/testsupport.h"
#include "windowharness.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPointer>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using WindowHarness::child;
using WindowHarness::connectAs;
using WindowHarness::deviceIndexFor;
using WindowHarness::startMeter;

// Save Data and Open Data from the main window: the report file of the records downloaded from
// the simulated meter, what happens when it cannot be written, and the Open Data window's life.
namespace {

// Record r of a meter of `kind` as the meter documents it: readings of the first `channels`
// channels, date, time, name, test wavelength and polarity.
Measurement meterRecord(int kind, int r, int channels)
{
    QVector<qint16> raw;
    for (int c = 0; c < channels; ++c)
        raw << qint16(MeterModel::power(r, c));
    TestSupport::Values v;
    v.date = TestSupport::dateWord(2026, 3, uint(1 + r % 28));
    v.time = TestSupport::timeWord(10, uint(r % 60), uint((13 * r) % 60));
    v.name = MeterModel::name(r).toLatin1();
    v.mode = quint16(MeterModel::mode(r));
    v.polar = quint16(MeterModel::polar(r));
    return TestSupport::measurement(kind, raw, v);
}

// The report of the first `count` records of a record-row meter of `kind`, built from the
// meter's documentation.
QByteArray expectedRecordReport(int kind, int count)
{
    // The meter sends six Vendral-8 readings and 48 DWDM-48 ones.
    const int channels = kind == 1 ? 18 : kind == 2 ? 48 : 6;
    QList<Measurement> records;
    for (int r = 0; r < count; ++r)
        records.append(meterRecord(kind, r, channels));
    return TestSupport::csvFile(kind, records);
}

// The fibre-row report of record r of an MPO meter of `kind`.
QByteArray expectedFibreReport(int kind, int r, const QString& product)
{
    return TestSupport::csvFile(kind, {meterRecord(kind, r, kind == 10 ? 12 : 24)}, product);
}

// A reading cell typed out from the rule the report states: "Low" below the low limit, "High"
// above 16 dBm, else the number.
QString cell(int hundredths, int lowLimit)
{
    if (hundredths < 100 * lowLimit)
        return QStringLiteral("Low");
    if (hundredths > 1600)
        return QStringLiteral("High");
    return QString::number(hundredths / 100.0, 'g', 6);
}

// Data row of record r of a record-row meter, from the meter's documentation.
QByteArray meterRow(int r, int columns, int channelsSent, int lowLimit)
{
    QString row =
        QString::number(r + 1) + u',' + MeterModel::dateTimeText(r) + u' ' + MeterModel::name(r);
    for (int c = 0; c < columns; ++c)
        row += u',' +
               (c < channelsSent ? cell(MeterModel::power(r, c), lowLimit) : QStringLiteral("Low"));
    return row.toLatin1();
}

QList<QByteArray> linesOf(const QByteArray& bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("(unreadable)");
    return file.readAll();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The names in a directory, the dot entries left out.
QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

const QByteArray oldContents = QByteArrayLiteral("an earlier report\r\n1,kept,as it was\r\n");

} // namespace

class TestSaveData : public QObject {
    Q_OBJECT

    WindowHarness::Session m_session;
    QList<Prompts::FileRequest> m_fileRequests;
    // What the file dialog answers; empty for a cancelled dialog.
    QString m_answer;
    // Runs while the file dialog is up, before it answers.
    std::function<void()> m_duringDialog;
    QMessageBox::StandardButton m_exitAnswer = QMessageBox::Ok;

    static QTreeWidget* records(MainWindow& w) { return child<QTreeWidget>(w, "treeData"); }
    static void trigger(MainWindow& w, const char* action) { child<QAction>(w, action)->trigger(); }

    int completions() const { return m_session.completions(); }
    int saves() const { return m_session.count("Complete", "Complete Save"); }

    // The prompts since the download ended.
    QList<Prompts::Request> promptsAfterDownload() const
    {
        QList<Prompts::Request> after;
        for (const Prompts::Request& p : m_session.prompts) {
            if (p.title != QLatin1String("Get Data"))
                after << p;
        }
        return after;
    }

    // Connects as `kind` and downloads every record.
    bool download(MainWindow& w, int kind)
    {
        connectAs(w, deviceIndexFor(kind));
        if (QTest::currentTestFailed())
            return false;
        trigger(w, "actionGetData");
        [&] { QTRY_COMPARE_WITH_TIMEOUT(completions(), 1, 15000); }();
        return !QTest::currentTestFailed();
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_session.start([this](const Prompts::Request& r) {
            return r.text == QLatin1String("Do you want to exit?") ? m_exitAnswer : QMessageBox::Ok;
        });
        // Closing the main window must not end the test run.
        QApplication::setQuitOnLastWindowClosed(false);
        Prompts::setFileResponder([this](const Prompts::FileRequest& r) {
            m_fileRequests.append(r);
            if (m_duringDialog)
                m_duringDialog();
            return m_answer;
        });
    }
    void cleanupTestCase()
    {
        m_session.stop();
        Prompts::setFileResponder({});
    }
    void init()
    {
        m_session.prompts.clear();
        m_fileRequests.clear();
        m_answer.clear();
        m_duringDialog = nullptr;
        m_exitAnswer = QMessageBox::Ok;
    }

    // After a download the file holds every record of the meter, replacing an earlier file.
    void savesRecordRows_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("records");
        QTest::addColumn<QByteArray>("heading");
        QTest::addColumn<int>("labelRows");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("channelsSent");
        QTest::addColumn<int>("lowLimit");
        QTest::newRow("CWDM18 5 records") << 1 << QStringList{"--records", "5"} << 5
                                          << QByteArray(" CWDM-18 Data") << 2 << 18 << 18 << -50;
        QTest::newRow("CWDM18 1 record") << 1 << QStringList{"--records", "1"} << 1
                                         << QByteArray(" CWDM-18 Data") << 2 << 18 << 18 << -50;
        QTest::newRow("DWDM48 plain, total column Low")
            << 2 << QStringList{"--records", "4"} << 4 << QByteArray("DWDM-48 Data") << 4 << 49
            << 48 << -50;
        QTest::newRow("Vendral8 names beside the list")
            << 3 << QStringList{"--records", "4"} << 4 << QByteArray("Vendral-8 Data") << 3 << 5
            << 5 << -40;
    }
    void savesRecordRows()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, args);
        QFETCH(int, records);
        QFETCH(QByteArray, heading);
        QFETCH(int, labelRows);
        QFETCH(int, columns);
        QFETCH(int, channelsSent);
        QFETCH(int, lowLimit);
        QTemporaryDir dir;
        m_answer = dir.filePath(QStringLiteral("report.csv"));
        QVERIFY(writeFile(m_answer, oldContents + oldContents + oldContents));
        MeterSim sim;
        QVERIFY(startMeter(sim, kind, args));
        MainWindow w;
        if (!download(w, kind))
            return;
        trigger(w, "actionSaveData");

        QCOMPARE(m_fileRequests.size(), 1);
        QCOMPARE(m_fileRequests.first().mode, Prompts::FileRequest::Save);
        const QList<Prompts::Request> after = promptsAfterDownload();
        QCOMPARE(after.size(), 1);
        QCOMPARE(after.first().icon, QMessageBox::Information);
        QCOMPARE(after.first().title, QStringLiteral("Complete"));
        QCOMPARE(after.first().text, QStringLiteral("Complete Save"));

        const QByteArray bytes = contents(m_answer);
        QCOMPARE(bytes, expectedRecordReport(kind, records));
        const QList<QByteArray> lines = linesOf(bytes);
        QCOMPARE(lines.size(), 3 + labelRows + records);
        QCOMPARE(lines.first(), heading);
        QCOMPARE(lines.at(3 + labelRows), meterRow(0, columns, channelsSent, lowLimit));
        QCOMPARE(lines.last(), meterRow(records - 1, columns, channelsSent, lowLimit));
        QCOMPARE(entries(dir.path()), QStringList{"report.csv"});
    }

    // MPO meters: the fibre rows of the record selected in the list.
    void savesFibreRows_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QByteArray>("heading");
        QTest::addColumn<QByteArray>("measured");
        QTest::addColumn<QByteArray>("firstFibre");
        QTest::addColumn<int>("fibres");
        // Fibre 1 of record r reads MeterModel::power(r, 0).
        QTest::newRow("MPO12 first record") << 10 << 0 << QByteArray("Ruvo730MPO Data")
                                            << QByteArray("Measured: 2026/03/01 10:00:00 REC-0")
                                            << QByteArray("1,850nm,Straight,1") << 12;
        QTest::newRow("MPO12 second record") << 10 << 1 << QByteArray("Ruvo730MPO Data")
                                             << QByteArray("Measured: 2026/03/02 10:01:13 REC-1")
                                             << QByteArray("1,1310nm,Rollover,-8.5") << 12;
        QTest::newRow("MPO12 unnamed record") << 10 << 2 << QByteArray("Ruvo730MPO Data")
                                              << QByteArray("Measured: 2026/03/03 10:02:26 ")
                                              << QByteArray("1,1550nm,Flipped,-9.5") << 12;
        QTest::newRow("MPO24 has no name") << 11 << 1 << QByteArray("Ruvo730MPO24 Data")
                                           << QByteArray("Measured: 2026/03/02 10:01:13")
                                           << QByteArray("1,1310nm,Rollover,-8.5") << 24;
    }
    void savesFibreRows()
    {
        QFETCH(int, kind);
        QFETCH(int, selected);
        QFETCH(QByteArray, heading);
        QFETCH(QByteArray, measured);
        QFETCH(QByteArray, firstFibre);
        QFETCH(int, fibres);
        QTemporaryDir dir;
        m_answer = dir.filePath(QStringLiteral("mpo.csv"));
        MeterSim sim;
        QVERIFY(startMeter(sim, kind, {"--records", "3"}));
        MainWindow w;
        if (!download(w, kind))
            return;
        records(w)->setCurrentItem(records(w)->topLevelItem(selected));
        trigger(w, "actionSaveData");

        QCOMPARE(m_fileRequests.size(), 1);
        QCOMPARE(saves(), 1);
        const QByteArray bytes = contents(m_answer);
        QCOMPARE(bytes, expectedFibreReport(kind, selected, QStringLiteral("Ruvo730")));
        const QList<QByteArray> lines = linesOf(bytes);
        QCOMPARE(lines.size(), 4 + fibres);
        QCOMPARE(lines.at(0), heading);
        QCOMPARE(lines.at(1), measured);
        QCOMPARE(lines.at(4), firstFibre);
    }

    // Saving while the records still arrive writes those that are there when the name has
    // been chosen.
    void savesDuringRetrieval_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("CWDM18") << 1;
        QTest::newRow("Vendral8") << 3;
    }
    void savesDuringRetrieval()
    {
        QFETCH(int, kind);
        QTemporaryDir dir;
        m_answer = dir.filePath(QStringLiteral("partial.csv"));
        MeterSim sim;
        QVERIFY(sim.start({"--kind", QString::number(kind), "--register", "COM7", "--records", "8",
                           "--delay", "300"}));
        MainWindow w;
        connectAs(w, deviceIndexFor(kind));
        if (QTest::currentTestFailed())
            return;
        trigger(w, "actionGetData");
        QTRY_COMPARE_WITH_TIMEOUT(records(w)->topLevelItemCount(), 2, 10000);
        int listed = -1;
        bool getting = false;
        m_duringDialog = [&] {
            listed = records(w)->topLevelItemCount();
            getting = w.isGettingData();
        };
        trigger(w, "actionSaveData");
        w.statusBar()->findChild<QToolButton*>()->click();

        QVERIFY(getting);
        QVERIFY(listed >= 2 && listed < 8);
        QCOMPARE(saves(), 1);
        QCOMPARE(completions(), 0);
        QCOMPARE(contents(m_answer), expectedRecordReport(kind, listed));
    }

    // The save dialog names the meter's product in the directory it proposes.
    void saveDialogRequest_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("ending");
        QTest::newRow("default product") << QStringList{} << 1 << "/Ruvo730";
        QTest::newRow("product PM12") << QStringList{"--product", "PM12"} << 1 << "/PM12";
        QTest::newRow("MPO12 with a record selected") << QStringList{} << 10 << "/Ruvo730";
        // The proposal stays in its folder and names a file there.
        QTest::newRow("product leaving the folder")
            << QStringList{"--product", "../../x"} << 1 << "/.._.._x";
        QTest::newRow("product naming a folder") << QStringList{"--product", "a/b"} << 1 << "/a_b";
        QTest::newRow("product of dots") << QStringList{"--product", ".."} << 1 << "/__";
        QTest::newRow("product with characters Windows refuses")
            << QStringList{"--product", "a:b*c?|"} << 1 << "/a_b_c__";
    }
    void saveDialogRequest()
    {
        QFETCH(QStringList, args);
        QFETCH(int, kind);
        QFETCH(QString, ending);
        MeterSim sim;
        QVERIFY(startMeter(sim, kind, args + QStringList{"--records", "1"}));
        MainWindow w;
        if (!download(w, kind))
            return;
        records(w)->setCurrentItem(records(w)->topLevelItem(0));
        trigger(w, "actionSaveData");
        QCOMPARE(m_fileRequests.size(), 1);
        const Prompts::FileRequest& asked = m_fileRequests.first();
        QCOMPARE(asked.mode, Prompts::FileRequest::Save);
        QCOMPARE(asked.title, QStringLiteral("Save Data"));
        QCOMPARE(asked.filter, QStringLiteral("CSV File (*.csv)"));
        QVERIFY2(asked.start.endsWith(ending), qPrintable(asked.start));
        QVERIFY(QFileInfo(asked.start).isAbsolute());
    }

    // A name typed without a suffix is saved with ".csv", so that Open Data lists it. A file of
    // that name that the dialog could not ask about is replaced only when the user says so.
    void saveAddsTheSuffix_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<bool>("existing"); // `saved` is there before, and not to be replaced
        QTest::newRow("no suffix") << "report1" << "report1.csv" << false;
        QTest::newRow("csv") << "report1.csv" << "report1.csv" << false;
        QTest::newRow("another suffix") << "report1.txt" << "report1.txt" << false;
        QTest::newRow("no suffix, csv file there") << "report1" << "report1.csv" << true;
    }
    void saveAddsTheSuffix()
    {
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        QFETCH(bool, existing);
        QTemporaryDir dir;
        m_answer = dir.filePath(typed);
        if (existing)
            QVERIFY(writeFile(dir.filePath(saved), oldContents));
        MeterSim sim;
        QVERIFY(startMeter(sim, 1, {"--records", "2"}));
        MainWindow w;
        if (!download(w, 1))
            return;
        trigger(w, "actionSaveData");
        QCOMPARE(entries(dir.path()), QStringList{saved});
        if (existing) {
            QCOMPARE(saves(), 0);
            QCOMPARE(m_session.count("Save Data", "report1.csv already exists.\nDo you want to replace it?"),
                     1);
            QCOMPARE(contents(dir.filePath(saved)), oldContents);
        } else {
            QCOMPARE(saves(), 1);
            QCOMPARE(contents(dir.filePath(saved)), expectedRecordReport(1, 2));
        }
    }

    // Control characters in what the meter sends never reach a field, a row or a report as
    // such: each becomes a space, so a name cannot forge a line of its own. The rest of the
    // text stays byte for byte; a field with a comma is quoted and opens as one field.
    void meterTextsStayOnTheirLine_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("CR LF forging a record") << 1 << "AB\r\n99,X,1" << "AB  99,X,1";
        QTest::newRow("tab, escape and DEL") << 1 << "A\tB\x1b\x7f" << "A B  ";
        QTest::newRow("Vendral-8 name beside the list") << 3 << "V\n2,Y" << "V 2,Y";
        QTest::newRow("plain name") << 1 << "RACK-07, a" << "RACK-07, a";
    }
    void meterTextsStayOnTheirLine()
    {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(QString, shown);
        QTemporaryDir dir;
        const QString recordsFile = dir.filePath(QStringLiteral("records.json"));
        QJsonObject record{{"name", name}};
        QVERIFY(writeFile(recordsFile,
                          QJsonDocument(QJsonObject{{"records", QJsonArray{record, QJsonObject{}}}})
                              .toJson()));
        MeterSim sim;
        QVERIFY(startMeter(sim, kind,
                           {"--records-file", recordsFile, "--product", "P\r\n1", "--serial",
                            "S\x01N"}));
        MainWindow w;
        if (!download(w, kind))
            return;
        QCOMPARE(child<QLineEdit>(w, "editProductNum")->text(), QStringLiteral("P  1"));
        QCOMPARE(child<QLineEdit>(w, "editSerialNum")->text(), QStringLiteral("S N"));
        QCOMPARE(records(w)->topLevelItem(0)->text(0), shown);

        m_answer = dir.filePath(QStringLiteral("report.csv"));
        trigger(w, "actionSaveData");
        QVERIFY2(m_fileRequests.last().start.endsWith(QStringLiteral("/P  1")),
                 qPrintable(m_fileRequests.last().start));
        const QList<QByteArray> lines = linesOf(contents(m_answer));
        QCOMPARE(lines.size(), (kind == 1 ? 5 : 6) + 2);
        const QByteArray text = "2026-03-01 10:00:00 " + shown.toLatin1();
        const QByteArray field = shown.contains(',') ? '"' + text + '"' : text;
        QVERIFY2(lines.at(lines.size() - 2).startsWith("1," + field + ','),
                 lines.at(lines.size() - 2).constData());
        QVERIFY(lines.last().startsWith("2,"));

        trigger(w, "actionOpen");
        auto* opened = w.openDataWidget()->findChild<QTreeWidget*>(QStringLiteral("treeDetailData"));
        QCOMPARE(opened->topLevelItemCount(), 2);
        QCOMPARE(opened->topLevelItem(0)->text(1), QString::fromLatin1(text).trimmed());
        QCOMPARE(opened->topLevelItem(1)->text(0), QStringLiteral("2"));
    }

    // A file that cannot be written is reported and leaves what was there; a cancelled dialog
    // does nothing at all. Never "Complete Save".
    void saveFailure_data()
    {
        QTest::addColumn<QString>("target"); // relative to the directory; "" to cancel
        QTest::addColumn<bool>("unwritableDir");
        QTest::addColumn<bool>("warned");
        QTest::newRow("unwritable directory, existing file") << "keep.csv" << true << true;
        QTest::newRow("unwritable directory, new file") << "new.csv" << true << true;
        QTest::newRow("directory in place of the file") << "folder.csv" << false << true;
        QTest::newRow("file in place of the directory") << "keep.csv/new.csv" << false << true;
        QTest::newRow("missing directory") << "absent/new.csv" << false << true;
        QTest::newRow("cancelled dialog") << "" << false << false;
    }
    void saveFailure()
    {
        QFETCH(QString, target);
        QFETCH(bool, unwritableDir);
        QFETCH(bool, warned);
        if (unwritableDir && geteuid() == 0) {
            QTest::qSkip("running as root, which writes into any directory", __FILE__, __LINE__);
            return;
        }
        QTemporaryDir dir;
        const QString keep = dir.filePath(QStringLiteral("keep.csv"));
        QVERIFY(writeFile(keep, oldContents));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.csv")));
        const QStringList before = entries(dir.path());
        m_answer = target.isEmpty() ? QString() : dir.filePath(target);

        MeterSim sim;
        QVERIFY(startMeter(sim, 1, {"--records", "2"}));
        MainWindow w;
        if (!download(w, 1))
            return;
        QFile::Permissions permissions = QFile::permissions(dir.path());
        if (unwritableDir)
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner |
                                                          QFile::ReadGroup | QFile::ExeGroup |
                                                          QFile::ReadOther | QFile::ExeOther));
        trigger(w, "actionSaveData");
        QFile::setPermissions(dir.path(), permissions);

        QCOMPARE(m_fileRequests.size(), 1);
        QCOMPARE(saves(), 0);
        const QList<Prompts::Request> after = promptsAfterDownload();
        QCOMPARE(after.size(), warned ? 1 : 0);
        if (warned) {
            QCOMPARE(after.first().icon, QMessageBox::Warning);
            QCOMPARE(after.first().title, QStringLiteral("Warning"));
            QVERIFY2(after.first().text.startsWith(QStringLiteral("The data was not saved to ") +
                                                   m_answer),
                     qPrintable(after.first().text));
        }
        QCOMPARE(contents(keep), oldContents);
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder.csv"))).isDir());
        QCOMPARE(entries(dir.filePath(QStringLiteral("folder.csv"))), QStringList());
        // Nothing left behind, not even a half-written temporary file.
        QCOMPARE(entries(dir.path()), before);
    }

    // No meter has identified itself: the file is written empty and the save still completes.
    // The window keeps the action disabled then; the handler is enabled here by hand.
    void saveWithoutMeter_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::newRow("new file") << false;
        QTest::newRow("existing file emptied") << true;
    }
    void saveWithoutMeter()
    {
        QFETCH(bool, existing);
        QTemporaryDir dir;
        m_answer = dir.filePath(QStringLiteral("empty.csv"));
        if (existing)
            QVERIFY(writeFile(m_answer, oldContents));
        MainWindow w;
        QCOMPARE(w.kindCode(), 0);
        child<QAction>(w, "actionSaveData")->setEnabled(true);
        trigger(w, "actionSaveData");
        QCOMPARE(m_fileRequests.size(), 1);
        QCOMPARE(m_session.prompts.size(), 1);
        QCOMPARE(saves(), 1);
        QVERIFY(QFileInfo::exists(m_answer));
        QCOMPARE(contents(m_answer), QByteArray());
        QCOMPARE(entries(dir.path()), QStringList{"empty.csv"});
    }

    // MPO data without a selected record: only the warning, before any file is chosen.
    void mpoNothingSelected_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("selectFirst"); // select a record, then clear the selection
        QTest::newRow("MPO12") << 10 << false;
        QTest::newRow("MPO12 selection cleared") << 10 << true;
        QTest::newRow("MPO24") << 11 << false;
        QTest::newRow("MPO16 selection cleared") << 12 << true;
        QTest::newRow("MPO32") << 13 << false;
    }
    void mpoNothingSelected()
    {
        QFETCH(int, kind);
        QFETCH(bool, selectFirst);
        QTemporaryDir dir;
        m_answer = dir.filePath(QStringLiteral("keep.csv"));
        QVERIFY(writeFile(m_answer, oldContents));
        MeterSim sim;
        QVERIFY(startMeter(sim, kind, {"--records", "2"}));
        MainWindow w;
        if (!download(w, kind))
            return;
        if (selectFirst)
            records(w)->setCurrentItem(records(w)->topLevelItem(1));
        records(w)->setCurrentItem(nullptr);
        QVERIFY(!records(w)->currentItem());
        trigger(w, "actionSaveData");

        QCOMPARE(m_fileRequests.size(), 0);
        const QList<Prompts::Request> after = promptsAfterDownload();
        QCOMPARE(after.size(), 1);
        QCOMPARE(after.first().icon, QMessageBox::Warning);
        QCOMPARE(after.first().title, QCoreApplication::applicationName());
        QCOMPARE(after.first().text, QStringLiteral("Data is not selected!"));
        QCOMPARE(contents(m_answer), oldContents);
        QCOMPARE(entries(dir.path()), QStringList{"keep.csv"});
    }

    // The open dialog, and the window it leads to.
    void openData_data()
    {
        QTest::addColumn<QByteArray>("file"); // "" for a path that does not exist
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("report file")
            << QByteArray(" CWDM-18 Data\r\n1,2026-03-01 10:00:00 A,-5,\r\n"
                          "2,2026-03-02 10:01:13 ,Low,\r\n")
            << QStringList{"1", "2"};
        QTest::newRow("nonexistent file") << QByteArray() << QStringList{};
    }
    void openData()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, rows);
        QTemporaryDir dir;
        m_answer = dir.filePath(QStringLiteral("open.csv"));
        if (!file.isEmpty())
            QVERIFY(writeFile(m_answer, file));
        MainWindow w;
        trigger(w, "actionOpen");
        QCOMPARE(m_fileRequests.size(), 1);
        const Prompts::FileRequest& asked = m_fileRequests.first();
        QCOMPARE(asked.mode, Prompts::FileRequest::Open);
        QCOMPARE(asked.title, QStringLiteral("Open Data"));
        QCOMPARE(asked.filter, QStringLiteral("CSV File (*.csv)"));
        QCOMPARE(asked.start, QCoreApplication::applicationDirPath());
        QCOMPARE(m_session.prompts.size(), 0);

        OpenDataWidget* opened = w.openDataWidget();
        QVERIFY(opened);
        QVERIFY(opened->isVisible());
        QVERIFY(opened->isWindow());
        QCOMPARE(opened->windowTitle(), QStringLiteral("Open Data - ") + m_answer);
        auto* tree = opened->findChild<QTreeWidget*>(QStringLiteral("treeDetailData"));
        QVERIFY(tree);
        QStringList numbers;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            numbers << tree->topLevelItem(i)->text(0);
        QCOMPARE(numbers, rows);
    }

    // Open Data reads only regular files of a reasonable size; anything else is refused with a
    // warning that names it and says why, and the window shown before stays.
    void openDataRefuses_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("pipe") << "fifo" << "it is not a regular file";
        QTest::newRow("link to a device") << "zero" << "it is not a regular file";
        QTest::newRow("folder") << "folder" << "it is not a regular file";
        QTest::newRow("larger than 64 MiB") << "large" << "it is larger than 64 MiB";
    }
    void openDataRefuses()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString shown = dir.filePath(QStringLiteral("shown.csv"));
        const QString refused = dir.filePath(QStringLiteral("x.csv"));
        QVERIFY(writeFile(shown, "1,a,b\n"));
        if (kind == "fifo") {
            QCOMPARE(mkfifo(QFile::encodeName(refused).constData(), 0600), 0);
        } else if (kind == "zero") {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), refused));
        } else if (kind == "folder") {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("x.csv")));
        } else {
            QFile large(refused);
            QVERIFY(large.open(QIODevice::WriteOnly));
            QVERIFY(large.resize(OpenData::MaxFileBytes + 1)); // sparse: no disk space used
        }
        MainWindow w;
        m_answer = shown;
        trigger(w, "actionOpen");
        const QPointer<OpenDataWidget> before = w.openDataWidget();
        m_answer = refused;
        trigger(w, "actionOpen");
        QCOMPARE(m_session.prompts.size(), 1);
        QCOMPARE(m_session.prompts[0].icon, QMessageBox::Warning);
        QCOMPARE(m_session.prompts[0].title, QStringLiteral("Warning"));
        QCOMPARE(m_session.prompts[0].text, refused + " cannot be opened: " + reason + ".");
        QVERIFY(before);
        QCOMPARE(w.openDataWidget(), before.data());
        QCOMPARE(before->windowTitle(), QStringLiteral("Open Data - ") + shown);
    }

    // A second Open Data replaces the window; a cancelled one keeps it.
    void openDataAgain_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("second file replaces the first") << false;
        QTest::newRow("cancelled dialog keeps the window") << true;
    }
    void openDataAgain()
    {
        QFETCH(bool, cancel);
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("first.csv"));
        const QString second = dir.filePath(QStringLiteral("second.csv"));
        QVERIFY(writeFile(first, "1,a,b\n"));
        QVERIFY(writeFile(second, "1,a,b\n2,c,d\n"));
        MainWindow w;
        m_answer = first;
        trigger(w, "actionOpen");
        const QPointer<OpenDataWidget> firstWindow = w.openDataWidget();
        QVERIFY(firstWindow);

        m_answer = cancel ? QString() : second;
        trigger(w, "actionOpen");
        QCOMPARE(m_fileRequests.size(), 2);
        if (cancel) {
            QVERIFY(firstWindow);
            QCOMPARE(w.openDataWidget(), firstWindow.data());
            QVERIFY(firstWindow->isVisible());
            QCOMPARE(firstWindow->windowTitle(), QStringLiteral("Open Data - ") + first);
        } else {
            QVERIFY(!firstWindow);
            QVERIFY(w.openDataWidget());
            QCOMPARE(w.openDataWidget()->windowTitle(), QStringLiteral("Open Data - ") + second);
            QVERIFY(w.openDataWidget()->isVisible());
        }
        QCOMPARE(m_session.prompts.size(), 0);
    }

    // Closing the main window deletes the Open Data window whatever the answer; after a No a
    // new Open Data still works.
    void exitDeletesOpenData_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("stays");
        QTest::newRow("answered No") << int(QMessageBox::No) << true;
        QTest::newRow("answered OK") << int(QMessageBox::Ok) << false;
    }
    void exitDeletesOpenData()
    {
        QFETCH(int, answer);
        QFETCH(bool, stays);
        QTemporaryDir dir;
        m_answer = dir.filePath(QStringLiteral("shown.csv"));
        QVERIFY(writeFile(m_answer, "1,a,b\n"));
        m_exitAnswer = QMessageBox::StandardButton(answer);
        MainWindow w;
        w.show();
        trigger(w, "actionOpen");
        const QPointer<OpenDataWidget> opened = w.openDataWidget();
        QVERIFY(opened);

        trigger(w, "actionExit");
        QCOMPARE(m_session.prompts.size(), 1);
        QCOMPARE(m_session.prompts.first().text, QStringLiteral("Do you want to exit?"));
        QCOMPARE(w.isVisible(), stays);
        QVERIFY(!opened);
        QCOMPARE(w.openDataWidget(), nullptr);

        if (stays) {
            trigger(w, "actionOpen");
            QVERIFY(w.openDataWidget());
            QCOMPARE(w.openDataWidget()->windowTitle(), QStringLiteral("Open Data - ") + m_answer);
        }
    }
};

QTEST_MAIN(TestSaveData)
#include "tst_savedata.moc"
