#include "files/reportresult.h"

#include <QCoreApplication>

namespace ReportResult {

Outcome outcome(const std::optional<Limits::RecordResult>& limits,
                const std::optional<Loss::RecordLoss>& loss)
{
    const std::optional<Loss::Verdict> lossVerdict = loss ? loss->verdict : std::nullopt;
    if ((limits && !limits->pass) || lossVerdict == Loss::Verdict::Fail)
        return Outcome::Fail;
    if (lossVerdict == Loss::Verdict::CheckRef)
        return Outcome::CheckRef;
    return limits || lossVerdict ? Outcome::Pass : Outcome::NotJudged;
}

QString text(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Pass:
        return QStringLiteral("PASS");
    case Outcome::Fail:
        return QStringLiteral("FAIL");
    case Outcome::CheckRef:
        return QStringLiteral("CHECK REF");
    case Outcome::NotJudged:
        break;
    }
    return QCoreApplication::translate("ReportContent", "not checked");
}

void Tally::add(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Pass:
        ++passed;
        break;
    case Outcome::Fail:
        ++failed;
        break;
    case Outcome::CheckRef:
        ++checkRef;
        break;
    case Outcome::NotJudged:
        ++notJudged;
        break;
    }
}

Outcome Tally::overall() const
{
    if (failed > 0)
        return Outcome::Fail;
    if (checkRef > 0)
        return Outcome::CheckRef;
    return passed > 0 ? Outcome::Pass : Outcome::NotJudged;
}

} // namespace ReportResult
