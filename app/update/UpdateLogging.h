#pragma once

#include <QLoggingCategory>

// "com.orvandel.Velarion.UpdateInstaller": the install's failure lines, at error level.
Q_DECLARE_LOGGING_CATEGORY(lcUpdateInstaller)
