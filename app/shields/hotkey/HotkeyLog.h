#pragma once

#include <QLoggingCategory>

// "com.orvandel.Velarion.Hotkey": the panic hot key and its key grab.
Q_DECLARE_LOGGING_CATEGORY(lcHotkey)
