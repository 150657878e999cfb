#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Who a report is for and who made it, printed at the head of the PDF report: a job file is
// {"company", "customer", "site", "link", "operator", "logo"}, every key optional, "logo" the
// path of an image.
struct JobBlock {
    QString company;
    QString customer;
    QString site;
    QString link; // the link or cable id
    QString operatorName;
    QString logo;

    bool isEmpty() const
    {
        return company.isEmpty() && customer.isEmpty() && site.isEmpty() && link.isEmpty() &&
               operatorName.isEmpty() && logo.isEmpty();
    }
};

namespace JobBlocks {
// None, with the problem, for text that is not such an object, an unknown key or a value that is
// not a text.
std::optional<JobBlock> fromJson(const QByteArray& json, QString* error);
QByteArray toJson(const JobBlock& job);
} // namespace JobBlocks
