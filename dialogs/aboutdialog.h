#pragma once

#include <QDialog>

namespace Ui {
class AboutDialog;
}

// Shows the program's title and version.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
    ~AboutDialog() override;

private:
    Ui::AboutDialog* ui;
};
