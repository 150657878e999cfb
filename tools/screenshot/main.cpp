// Usage: QT_QPA_PLATFORM=offscreen velumin-screenshot [--connect N [--download R]] [output.png]
// Writes a picture of the main window as it looks at start-up, or, with --connect, after
// choosing device type N and connecting to the meter that discovery preselected; with
// --download also after Get Data, with record R (counted from 1) selected.

#include "app/mainwindow.h"
#include "app/prompts.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPixmap>
#include <QTextStream>
#include <QTreeWidget>

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

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral("1.4.9K"));

    QStringList args = QCoreApplication::arguments().mid(1);
    int deviceIndex = 0;
    int record = 0;
    if (args.size() >= 2 && args.at(0) == QLatin1String("--connect")) {
        deviceIndex = args.at(1).toInt();
        args = args.mid(2);
    }
    if (deviceIndex > 0 && args.size() >= 2 && args.at(0) == QLatin1String("--download")) {
        record = args.at(1).toInt();
        args = args.mid(2);
    }
    const QString path = args.isEmpty() ? QStringLiteral("docs/screenshots/main-window.png") : args.at(0);

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
    QCoreApplication::processEvents();

    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!window.grab().save(path)) {
        QTextStream(stderr) << "cannot write " << path << '\n';
        return 1;
    }
    QTextStream(stdout) << path << '\n';
    return 0;
}
