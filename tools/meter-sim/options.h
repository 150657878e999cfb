#pragma once

#include "encoder.h"

#include <QString>
#include <QStringList>

namespace metersim {

struct Faults {
    int dropEvery = 0; // 0: never drop
    bool split = false;
    int doubleEvery = 0; // 0: never; 1: every answer
    int from = 1;        // answers before this one go out untouched and are not counted
    bool garbage = false;
    int delayMs = 0;
    bool silent = false;
    int babbleMs = 0; // after the identity answer, one stray byte every babbleMs; 0: never
};

struct Options {
    int kind = 1;
    int records = 5;
    Identity identity;
    bool dwdm48Big = false;
    QString recordsFile;
    Faults faults;
    Trailer trailer = Trailer::Two;
    bool total0 = false;
    QString registerPort; // "COMn", empty when the port map is left alone
    int leftover = 0;     // bytes of earlier answers waiting in the line before anyone opens it
};

enum class ParseResult { Ok, Help, Error };

// Parses the command line; Help and Error come with the text to print.
ParseResult parseOptions(const QStringList& arguments, Options* options, QString* message);

} // namespace metersim
