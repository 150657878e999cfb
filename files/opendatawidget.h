#pragma once

#include <QString>
#include <QWidget>

namespace Ui {
class OpenDataWidget;
}

// A window of its own that shows the numbered lines of a CSV file: the number and the next two
// fields of every line that starts with an integer. The file is read once, when the window is
// built.
class OpenDataWidget : public QWidget {
    Q_OBJECT
public:
    explicit OpenDataWidget(const QString& path, QWidget* parent = nullptr);
    ~OpenDataWidget() override;

    QString path() const { return m_path; }

private:
    void load();

    Ui::OpenDataWidget* ui;
    QString m_path;
};
