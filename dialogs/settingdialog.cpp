#include "dialogs/settingdialog.h"

#include "data/displayunit.h"
#include "resources/resources.h"
#include "ui_settingdialog.h"

SettingDialog::SettingDialog(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::SettingDialog)
{
    initVeluminResources();
    ui->setupUi(this);
    loadSetting();
}

SettingDialog::~SettingDialog()
{
    delete ui;
}

void SettingDialog::accept()
{
    DisplayUnit::storeIndex(ui->cbDisplayUnit->currentIndex());
    QDialog::accept();
}

void SettingDialog::loadSetting()
{
    ui->cbDisplayUnit->setCurrentIndex(DisplayUnit::readDisplayFreq() ? 1 : 0);
}
