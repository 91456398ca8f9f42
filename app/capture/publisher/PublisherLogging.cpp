#include "capture/publisher/PublisherLogging.h"

Q_LOGGING_CATEGORY(lcVirtualCamera, "com.orvandel.Velarion.VirtualCamera")
Q_LOGGING_CATEGORY(lcSystemExtension, "com.orvandel.Velarion.SystemExtension")
