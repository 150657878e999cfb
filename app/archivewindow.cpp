#include "app/archivewindow.h"

ArchiveWindow::ArchiveWindow(const QString& path, bool displayFreq, QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    Q_UNUSED(path);
    Q_UNUSED(displayFreq);
    setObjectName(QStringLiteral("ArchiveWindow"));
}

ArchiveWindow::~ArchiveWindow() = default;
