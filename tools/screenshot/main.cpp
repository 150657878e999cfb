// Usage: QT_QPA_PLATFORM=offscreen velumin-screenshot [--limits L.json] [--connect N
//            [--download R [--save F] [--report F.pdf] [--graph R]]] [--open F] [output.png]
//            [--job J.json] [--budget B.json] [--reference R] [--loss R]
//        QT_QPA_PLATFORM=offscreen velumin-screenshot --archive A.sqlite [--source team]
//            [output.png]
// Writes a picture of the main window as it looks at start-up, or, with --connect, after
// choosing device type N and connecting to the meter that discovery preselected; with
// --download also after Get Data, with record R (counted from 1) selected; --save then saves
// the report as F. With --open the picture is of the Open Data window showing file F; with
// --graph it is of the graph window of record R. --limits puts the limits file L in force
// before the window is made; --report exports the PDF report as F.pdf. With --archive the
// picture is of the archive window over the archive A.sqlite, its newest download and that
// download's first record selected; with --source team, of its team view (VELUMIN_TEAM_ARCHIVE
// names the team archive). --job and --budget put a job block and a loss budget in
// force; --reference takes record R as the reference; --loss shows the Loss window of record R.

#include "app/archivewindow.h"
#include "app/losswindow.h"
#include "app/mainwindow.h"
#include "app/prompts.h"
#include "data/limits.h"
#include "data/lossstore.h"
#include "dialogs/limitsdialog.h"
#include "files/opendatawidget.h"
#include "graph/graphwidget.h"
#include "velumin_version.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPixmap>
#include <QTextStream>
#include <QTreeWidget>

#include <functional>
#include <memory>

namespace {

// Connects as a user would and waits for the meter's identity; false when it does not come.
bool connectMeter(MainWindow& window, int deviceIndex)
{
    window.findChild<QComboBox*>(QStringLiteral("cbSelectDevice"))->setCurrentIndex(deviceIndex);
    window.findChild<QAction*>(QStringLiteral("actionConnect"))->trigger();
    auto* product = window.findChild<QLineEdit*>(QStringLiteral("editProductNum"));
    QDeadlineTimer deadline(5000);
    while (product->text().isEmpty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return !product->text().isEmpty();
}

// Downloads the meter's records as a user would and selects one; false when it does not end.
bool download(MainWindow& window, int record)
{
    bool completed = false;
    Prompts::setResponder([&completed](const Prompts::Request& r) {
        completed = completed || r.title == QLatin1String("Get Data");
        return QMessageBox::Ok;
    });
    window.findChild<QAction*>(QStringLiteral("actionGetData"))->trigger();
    QDeadlineTimer deadline(60000);
    while (!completed && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    auto* records = window.findChild<QTreeWidget*>(QStringLiteral("treeData"));
    if (!completed || record < 1 || record > records->topLevelItemCount())
        return false;
    records->setCurrentItem(records->topLevelItem(record - 1));
    return true;
}

// Writes the picture of `shown` to `path`; the program's exit status.
int save(QWidget& shown, const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!shown.grab().save(path)) {
        QTextStream(stderr) << "cannot write " << path << '\n';
        return 1;
    }
    QTextStream(stdout) << path << '\n';
    return 0;
}

// The archive window over `archive`, with its newest download and that download's first record
// selected; null when the archive lists none.
std::unique_ptr<ArchiveWindow> archiveWindow(const QString& archive, bool team)
{
    auto window = std::make_unique<ArchiveWindow>(archive, false);
    window->show();
    auto* downloads = window->findChild<QTreeWidget*>(QStringLiteral("treeArchive"));
    auto* records = window->findChild<QTreeWidget*>(QStringLiteral("treeArchiveData"));
    // The team's list and records come from the reader's thread.
    const auto waitFor = [](const std::function<bool()>& done) {
        QDeadlineTimer deadline(10000);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    };
    const auto newestDownload = [downloads] {
        QTreeWidgetItem* newest = downloads->topLevelItem(0);
        while (newest && newest->childCount() > 0)
            newest = newest->child(0);
        return newest && !newest->data(0, Qt::UserRole).isNull() ? newest : nullptr;
    };
    if (team) {
        window->findChild<QComboBox*>(QStringLiteral("cbArchiveSource"))->setCurrentIndex(1);
        waitFor([&] { return newestDownload() != nullptr; });
    }
    QTreeWidgetItem* newest = newestDownload();
    if (!newest)
        return nullptr;
    downloads->setCurrentItem(newest);
    waitFor([records] { return records->topLevelItemCount() > 0; });
    records->setCurrentItem(records->topLevelItem(0));
    return window;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QString::fromLatin1(VeluminVersion));

    QStringList args = QCoreApplication::arguments().mid(1);
    int deviceIndex = 0;
    int record = 0;
    int graphRecord = 0;
    QString saveAs;
    QString open;
    QString limitsFile;
    QString reportAs;
    QString archive;
    bool team = false;
    QString jobFile;
    QString budgetFile;
    int referenceRecord = 0;
    int lossRecord = 0;
    while (args.size() >= 2 && args.at(0).startsWith(QLatin1String("--"))) {
        const QString option = args.takeFirst();
        const QString value = args.takeFirst();
        if (option == QLatin1String("--connect"))
            deviceIndex = value.toInt();
        else if (option == QLatin1String("--download"))
            record = value.toInt();
        else if (option == QLatin1String("--save"))
            saveAs = value;
        else if (option == QLatin1String("--open"))
            open = value;
        else if (option == QLatin1String("--graph"))
            graphRecord = value.toInt();
        else if (option == QLatin1String("--limits"))
            limitsFile = value;
        else if (option == QLatin1String("--report"))
            reportAs = value;
        else if (option == QLatin1String("--archive"))
            archive = value;
        else if (option == QLatin1String("--source"))
            team = value == QLatin1String("team");
        else if (option == QLatin1String("--job"))
            jobFile = value;
        else if (option == QLatin1String("--budget"))
            budgetFile = value;
        else if (option == QLatin1String("--reference"))
            referenceRecord = value.toInt();
        else if (option == QLatin1String("--loss"))
            lossRecord = value.toInt();
    }
    // The limits in force at start-up, as a user who had set them would have them.
    if (!limitsFile.isEmpty()) {
        QFile file(limitsFile);
        QString error;
        const std::optional<Limits::LimitSet> limits =
            file.open(QIODevice::ReadOnly) ? Limits::fromJson(file.readAll(), &error)
                                           : std::nullopt;
        if (!limits) {
            QTextStream(stderr) << "cannot read the limits in " << limitsFile << ": " << error
                                << '\n';
            return 1;
        }
        LimitsStore::store(*limits);
    }
    QString error;
    if (!jobFile.isEmpty()) {
        const std::optional<JobBlock> job = LossStore::readJobFile(jobFile, &error);
        if (!job) {
            QTextStream(stderr) << "cannot read the job block in " << jobFile << ": " << error
                                << '\n';
            return 1;
        }
        LossStore::storeJobBlock(*job);
    }
    if (!budgetFile.isEmpty()) {
        const std::optional<Loss::Budget> budget = LossStore::readBudgetFile(budgetFile, &error);
        if (!budget) {
            QTextStream(stderr) << "cannot read the budget in " << budgetFile << ": " << error
                                << '\n';
            return 1;
        }
        LossStore::storeBudget(*budget);
    }
    // The job block asked for before a report is taken as it stands.
    Prompts::setDialogResponder([](QDialog&) { return int(QDialog::Accepted); });
    const QString path =
        args.isEmpty() ? QStringLiteral("docs/screenshots/main-window.png") : args.at(0);

    if (!archive.isEmpty()) {
        const std::unique_ptr<ArchiveWindow> shown = archiveWindow(archive, team);
        if (!shown) {
            QTextStream(stderr) << "the archive " << archive << " lists no download\n";
            return 1;
        }
        QCoreApplication::processEvents();
        return save(*shown, path);
    }

    MainWindow window;
    window.show();
    // Lets the layouts settle before the window is painted.
    QCoreApplication::processEvents();
    if (deviceIndex > 0 && !connectMeter(window, deviceIndex)) {
        QTextStream(stderr) << "the meter did not answer\n";
        return 1;
    }
    if (record > 0 && !download(window, record)) {
        QTextStream(stderr) << "the download did not complete\n";
        return 1;
    }
    QWidget* shown = &window;
    const auto select = [&window](int r) {
        auto* list = window.findChild<QTreeWidget*>(QStringLiteral("treeData"));
        if (r < 1 || r > list->topLevelItemCount())
            return false;
        list->setCurrentItem(list->topLevelItem(r - 1));
        return true;
    };
    if (referenceRecord > 0) {
        if (!select(referenceRecord)) {
            QTextStream(stderr) << "there is no record " << referenceRecord << '\n';
            return 1;
        }
        window.findChild<QAction*>(QStringLiteral("actionSetReference"))->trigger();
        select(record);
    }
    if (!reportAs.isEmpty()) {
        Prompts::setFileResponder([reportAs](const Prompts::FileRequest&) { return reportAs; });
        window.findChild<QAction*>(QStringLiteral("actionExportReport"))->trigger();
    }
    if (!saveAs.isEmpty() || !open.isEmpty()) {
        const QString file = saveAs.isEmpty() ? open : saveAs;
        Prompts::setFileResponder([file](const Prompts::FileRequest&) { return file; });
    }
    if (!saveAs.isEmpty())
        window.findChild<QAction*>(QStringLiteral("actionSaveData"))->trigger();
    if (!open.isEmpty()) {
        window.findChild<QAction*>(QStringLiteral("actionOpen"))->trigger();
        shown = window.openDataWidget();
    }
    if (graphRecord > 0) {
        auto* records = window.findChild<QTreeWidget*>(QStringLiteral("treeData"));
        if (graphRecord > records->topLevelItemCount()) {
            QTextStream(stderr) << "there is no record " << graphRecord << '\n';
            return 1;
        }
        records->setCurrentItem(records->topLevelItem(graphRecord - 1));
        window.findChild<QAction*>(QStringLiteral("actionGraphData"))->trigger();
        shown = window.graphWidget();
        if (!shown) {
            QTextStream(stderr) << "no graph of record " << graphRecord << '\n';
            return 1;
        }
    }
    if (lossRecord > 0) {
        if (!select(lossRecord)) {
            QTextStream(stderr) << "there is no record " << lossRecord << '\n';
            return 1;
        }
        window.findChild<QAction*>(QStringLiteral("actionLoss"))->trigger();
        shown = window.lossWindow();
    }
    QCoreApplication::processEvents();
    return save(*shown, path);
}
