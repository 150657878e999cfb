#include "data/logging.h"

// Warnings and worse by default: a normal run prints no debug lines on the terminal.
Q_LOGGING_CATEGORY(lcLink, "velumin.link", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDecoder, "velumin.decoder", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSession, "velumin.session", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFiles, "velumin.files", QtWarningMsg)
Q_LOGGING_CATEGORY(lcExport, "velumin.export", QtWarningMsg)
Q_LOGGING_CATEGORY(lcWindow, "velumin.window", QtWarningMsg)
