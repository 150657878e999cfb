#pragma once

#include <QDialog>

namespace Ui {
class SettingDialog;
}

// Modal dialog for the display unit; OK stores the choice, Cancel leaves the store untouched.
class SettingDialog : public QDialog {
    Q_OBJECT
public:
    explicit SettingDialog(QWidget* parent = nullptr);
    ~SettingDialog() override;

    void accept() override;

private:
    void loadSetting();

    Ui::SettingDialog* ui;
};
