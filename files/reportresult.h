#pragma once

#include "data/limits.h"
#include "data/loss.h"

#include <QString>

#include <optional>

// The verdict of a record and of a whole report from the limits and the loss budget together,
// as the PDF report puts it first.
namespace ReportResult {

enum class Outcome { NotJudged, Pass, Fail, CheckRef };

// A record fails when it fails its limits or its loss fails the budget; else it needs its
// reference set again when a channel's loss says so; else it passes where either judged it.
Outcome outcome(const std::optional<Limits::RecordResult>& limits,
                const std::optional<Loss::RecordLoss>& loss);

// "PASS", "FAIL", "CHECK REF", "not checked".
QString text(Outcome outcome);

// How the records of a report came out.
struct Tally {
    int passed = 0;
    int failed = 0;
    int checkRef = 0;
    int notJudged = 0;

    void add(Outcome outcome);
    // FAIL when a record failed; else CHECK REF when one needs its reference set again; else
    // PASS when at least one was judged; else not judged.
    Outcome overall() const;
};

} // namespace ReportResult
