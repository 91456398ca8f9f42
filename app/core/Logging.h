#pragma once

// Every library declares its own logging categories (CaptureLogging.h, HotkeyLog.h, ...), named
// "<kLogSubsystem>.<category>"; error level is qCCritical, and "[DIAG]" lines are written there.
// Core itself logs nothing.
inline constexpr char kLogSubsystem[] = "com.orvandel.Velarion";
