#include "dialogs/aboutdialog.h"

#include "resources/resources.h"
#include "ui_aboutdialog.h"

#include <QCoreApplication>

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::AboutDialog)
{
    initVeluminResources();
    ui->setupUi(this);
    // The same title and version as the main window's title bar.
    ui->labelCopyright->setText(tr("Velumin V%1").arg(QCoreApplication::applicationVersion()));
    connect(ui->btnOk, &QPushButton::clicked, this, &QWidget::close);
}

AboutDialog::~AboutDialog()
{
    delete ui;
}
