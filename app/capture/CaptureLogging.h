#pragma once

#include <QLoggingCategory>

// "com.orvandel.Velarion.ScreenManager": the screen manager's lines, "[DIAG]" ones included.
Q_DECLARE_LOGGING_CATEGORY(lcScreenManager)
