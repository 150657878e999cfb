#pragma once

#include <QString>
#include <QWidget>

// The archived downloads: grouped by job and meter, filtered, reopened record by record and
// reported as a fresh download is. A window of its own; reads the archive at `path`.
class ArchiveWindow : public QWidget {
    Q_OBJECT
public:
    explicit ArchiveWindow(const QString& path, bool displayFreq, QWidget* parent = nullptr);
    ~ArchiveWindow() override;
};
