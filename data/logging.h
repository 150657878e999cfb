#pragma once

#include <QDebug>
#include <QLoggingCategory>

// Every layer writes its debug lines (commands, requests, frames, decoding) to the one category
// "velumin". They are off unless a rule turns them on: QT_LOGGING_RULES="velumin.debug=true",
// a rules file (QT_LOGGING_CONF, qtlogging.ini) or QLoggingCategory::setFilterRules().
Q_DECLARE_LOGGING_CATEGORY(lcVelumin)
