#pragma once

#include "data/jobblock.h"

#include <QDialog>

#include <functional>

class QLineEdit;

// Who a report is for and who made it, asked for before a report is exported: company,
// customer, site, link or cable id, operator and a logo image, which "…" chooses through the
// file chooser the caller hands in.
class JobBlockDialog : public QDialog {
    Q_OBJECT
public:
    explicit JobBlockDialog(const JobBlock& job, QWidget* parent = nullptr);

    // Asked for an image file, proposing the one named now; an empty answer keeps it.
    using LogoChooser = std::function<QString(const QString& current)>;
    void setLogoChooser(LogoChooser chooser) { m_chooser = std::move(chooser); }

    // What the dialog shows now, each field trimmed.
    JobBlock job() const;

private:
    void chooseLogo();

    QLineEdit* m_company;
    QLineEdit* m_customer;
    QLineEdit* m_site;
    QLineEdit* m_link;
    QLineEdit* m_operator;
    QLineEdit* m_logo;
    LogoChooser m_chooser;
};
