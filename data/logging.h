#pragma once

#include <QDebug>
#include <QLoggingCategory>

// One category per area: the serial link, the decoder, the meter session, the files and reports,
// velumin-export and the windows. Debug lines are off unless a rule turns them on, e.g.
// QT_LOGGING_RULES="velumin.*.debug=true" (or one area: "velumin.link.debug=true"), a rules file
// (QT_LOGGING_CONF, qtlogging.ini) or QLoggingCategory::setFilterRules(); warnings are on.
Q_DECLARE_LOGGING_CATEGORY(lcLink)
Q_DECLARE_LOGGING_CATEGORY(lcDecoder)
Q_DECLARE_LOGGING_CATEGORY(lcSession)
Q_DECLARE_LOGGING_CATEGORY(lcFiles)
Q_DECLARE_LOGGING_CATEGORY(lcExport)
Q_DECLARE_LOGGING_CATEGORY(lcWindow)
