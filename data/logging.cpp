#include "data/logging.h"

// Warnings and worse by default: a normal run prints no debug lines on the terminal.
Q_LOGGING_CATEGORY(lcVelumin, "velumin", QtWarningMsg)
