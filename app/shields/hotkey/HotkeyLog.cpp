#include "shields/hotkey/HotkeyLog.h"

Q_LOGGING_CATEGORY(lcHotkey, "com.orvandel.Velarion.Hotkey")
