#pragma once

#include <QLoggingCategory>

// "com.orvandel.Velarion.App": the application's own lifecycle (signals, quit steps, launchers).
Q_DECLARE_LOGGING_CATEGORY(lcApp)
