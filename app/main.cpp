#include "app/mainwindow.h"
#include "velumin_version.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QString::fromLatin1(VeluminVersion));

    // Declared after the application object, so the window is destroyed before it.
    MainWindow window;
    window.show();
    return QApplication::exec();
}
