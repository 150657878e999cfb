#include "dialogs/jobblockdialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLineEdit* field(const QString& text, const char* name)
{
    auto* edit = new QLineEdit(text);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

} // namespace

JobBlockDialog::JobBlockDialog(const JobBlock& job, QWidget* parent)
    : QDialog(parent)
    , m_company(field(job.company, "editCompany"))
    , m_customer(field(job.customer, "editCustomer"))
    , m_site(field(job.site, "editSite"))
    , m_link(field(job.link, "editLink"))
    , m_operator(field(job.operatorName, "editOperator"))
    , m_logo(field(job.logo, "editLogo"))
{
    setObjectName(QStringLiteral("JobBlockDialog"));
    setWindowTitle(tr("Report Job"));
    m_logo->setPlaceholderText(tr("an image printed at the head of the report"));
    auto* browse = new QToolButton;
    browse->setObjectName(QStringLiteral("buttonLogo"));
    browse->setText(tr("…"));
    browse->setToolTip(tr("Choose the logo image"));
    connect(browse, &QToolButton::clicked, this, &JobBlockDialog::chooseLogo);
    auto* logoRow = new QHBoxLayout;
    logoRow->addWidget(m_logo, 1);
    logoRow->addWidget(browse);

    auto* form = new QFormLayout;
    form->addRow(tr("Company:"), m_company);
    form->addRow(tr("Customer:"), m_customer);
    form->addRow(tr("Site:"), m_site);
    form->addRow(tr("Link or cable id:"), m_link);
    form->addRow(tr("Operator:"), m_operator);
    form->addRow(tr("Logo:"), logoRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(460, sizeHint().height());
}

JobBlock JobBlockDialog::job() const
{
    JobBlock j;
    j.company = m_company->text().trimmed();
    j.customer = m_customer->text().trimmed();
    j.site = m_site->text().trimmed();
    j.link = m_link->text().trimmed();
    j.operatorName = m_operator->text().trimmed();
    j.logo = m_logo->text().trimmed();
    return j;
}

void JobBlockDialog::chooseLogo()
{
    const QString path = m_chooser ? m_chooser(m_logo->text().trimmed()) : QString();
    if (!path.isEmpty())
        m_logo->setText(path);
}
