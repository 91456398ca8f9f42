#pragma once

#include <QLoggingCategory>

// One category per service that owns a logger, named "com.orvandel.Velarion.<category>". Error
// level is qCCritical; "[DIAG]" lines are written there.
Q_DECLARE_LOGGING_CATEGORY(lcScreenManager)
Q_DECLARE_LOGGING_CATEGORY(lcVirtualCamera)
Q_DECLARE_LOGGING_CATEGORY(lcSystemExtension)
Q_DECLARE_LOGGING_CATEGORY(lcApp)

// The subsystem prefix shared by every category of the application.
inline constexpr char kLogSubsystem[] = "com.orvandel.Velarion";
