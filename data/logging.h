#pragma once

#include <QDebug>
#include <QLoggingCategory>

// Every layer writes its debug lines (commands, requests, frames, decoding) to the one category
// "velumin": QT_LOGGING_RULES="velumin.debug=false" silences them, tests and benchmarks do the
// same with QLoggingCategory::setFilterRules().
Q_DECLARE_LOGGING_CATEGORY(lcVelumin)
