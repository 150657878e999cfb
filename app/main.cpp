#include "app/mainwindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral("1.4.9K"));

    // Declared after the application object, so the window is destroyed before it.
    MainWindow window;
    window.show();
    return QApplication::exec();
}
