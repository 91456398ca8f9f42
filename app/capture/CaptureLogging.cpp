#include "capture/CaptureLogging.h"

Q_LOGGING_CATEGORY(lcScreenManager, "com.orvandel.Velarion.ScreenManager")
