#pragma once

#include "data/jobblock.h"
#include "data/loss.h"

#include <QString>

#include <optional>

// The reference, the loss budget and the report's job block in force, kept in the settings store
// beside the limits (keys "reference", "budget" and "jobBlock", each the text of its file), and
// their files, read as limits files are: regular files of at most 1 MiB.
namespace LossStore {

Loss::Reference reference();
void storeReference(const Loss::Reference& reference);
Loss::Budget budget();
void storeBudget(const Loss::Budget& budget);
JobBlock jobBlock();
void storeJobBlock(const JobBlock& job);

std::optional<Loss::Reference> readReferenceFile(const QString& path, QString* error);
std::optional<Loss::Budget> readBudgetFile(const QString& path, QString* error);
std::optional<JobBlock> readJobFile(const QString& path, QString* error);

} // namespace LossStore
