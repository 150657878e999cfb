#include "files/opendatawidget.h"

#include "files/opendata.h"
#include "ui_opendatawidget.h"

#include <QFile>
#include <QTreeWidgetItem>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The file was checked before the window was made, but the path may name something else by now:
// opened without waiting for a writer and checked again on the descriptor itself, a pipe or a
// larger file put in its place cannot block the window.
bool openRegularFile(const QString& path, QFile& file)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > OpenData::MaxFileBytes ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
#else
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly);
#endif
}

} // namespace

OpenDataWidget::OpenDataWidget(const QString& path, QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::OpenDataWidget)
    , m_path(path)
{
    ui->setupUi(this);
    // Room for a report's record text ("2026-03-14 10:22:31 NAME") in the fixed-size window.
    ui->treeDetailData->setColumnWidth(0, 40);
    ui->treeDetailData->setColumnWidth(1, 190);
    setWindowTitle(QStringLiteral("Open Data - ") + path);
    load();
}

OpenDataWidget::~OpenDataWidget()
{
    delete ui;
}

void OpenDataWidget::load()
{
    QFile file;
    // An unreadable file leaves the window empty; its title still says which file it was.
    if (!openRegularFile(m_path, file))
        return;
    const QString text = OpenData::decode(file.readAll());
    file.close();
    // Items straight from the lines, and all of them added in one go: the view lays itself out
    // once, not once a row.
    QList<QTreeWidgetItem*> items;
    OpenData::forEachRow(text, [&items](OpenData::Row& row) {
        items.append(new QTreeWidgetItem(
            {QString::number(row.number), std::move(row.second), std::move(row.third)}));
    });
    ui->treeDetailData->addTopLevelItems(items);
}
