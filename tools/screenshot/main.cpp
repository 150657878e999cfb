// Usage: QT_QPA_PLATFORM=offscreen velumin-screenshot [output.png]
// Writes a picture of the main window as it looks at start-up.

#include "app/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral("1.4.9K"));

    const QStringList args = QCoreApplication::arguments();
    const QString path = args.size() > 1 ? args.at(1) : QStringLiteral("docs/screenshots/main-window.png");

    MainWindow window;
    window.show();
    // Lets the layouts settle before the window is painted.
    QCoreApplication::processEvents();

    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!window.grab().save(path)) {
        QTextStream(stderr) << "cannot write " << path << '\n';
        return 1;
    }
    QTextStream(stdout) << path << '\n';
    return 0;
}
