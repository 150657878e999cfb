#include "data/logging.h"

Q_LOGGING_CATEGORY(lcVelumin, "velumin")
