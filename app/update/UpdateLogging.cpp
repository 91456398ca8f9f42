#include "update/UpdateLogging.h"

Q_LOGGING_CATEGORY(lcUpdateInstaller, "com.orvandel.Velarion.UpdateInstaller")
