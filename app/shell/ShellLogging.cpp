#include "shell/ShellLogging.h"

Q_LOGGING_CATEGORY(lcApp, "com.orvandel.Velarion.App")
