#pragma once

#include "data/limits.h"

#include <QString>

#include <optional>

// The limits in force, kept in the settings store beside the display unit as the key "limits"
// holding the text of a limits file. Nothing is stored until the user sets limits.
namespace LimitsStore {
// Off (not enabled) when nothing, or nothing readable, is stored.
Limits::LimitSet read();
void store(const Limits::LimitSet& limits);
// A limits file; none, with the reason in `error`, when it cannot be read, is larger than any
// limits file (1 MiB), or is not one.
std::optional<Limits::LimitSet> readFile(const QString& path, QString* error);
} // namespace LimitsStore
