#include "core/Logging.h"

Q_LOGGING_CATEGORY(lcScreenManager, "com.orvandel.Velarion.ScreenManager")
Q_LOGGING_CATEGORY(lcVirtualCamera, "com.orvandel.Velarion.VirtualCamera")
Q_LOGGING_CATEGORY(lcSystemExtension, "com.orvandel.Velarion.SystemExtension")
Q_LOGGING_CATEGORY(lcApp, "com.orvandel.Velarion.App")
