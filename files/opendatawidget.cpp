#include "files/opendatawidget.h"

#include "files/opendata.h"
#include "files/regularfile.h"
#include "ui_opendatawidget.h"

#include <QTreeWidgetItem>

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
    // The file was checked before the window was made, but the path may name something else by
    // now. An unreadable file leaves the window empty; its title still says which file it was.
    QString error;
    const std::optional<QByteArray> bytes =
        RegularFile::read(m_path, OpenData::MaxFileBytes, &error);
    if (!bytes)
        return;
    const QString text = OpenData::decode(*bytes);
    // Items straight from the lines, and all of them added in one go: the view lays itself out
    // once, not once a row.
    QList<QTreeWidgetItem*> items;
    OpenData::forEachRow(text, [&items](OpenData::Row& row) {
        items.append(new QTreeWidgetItem(
            {QString::number(row.number), std::move(row.second), std::move(row.third)}));
    });
    ui->treeDetailData->addTopLevelItems(items);
}
