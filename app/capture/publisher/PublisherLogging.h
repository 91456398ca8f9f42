#pragma once

#include <QLoggingCategory>

// "com.orvandel.Velarion.VirtualCamera": the publisher's lines, "[DIAG]" ones included.
Q_DECLARE_LOGGING_CATEGORY(lcVirtualCamera)
// "com.orvandel.Velarion.SystemExtension": the camera installer and the daemon it starts.
Q_DECLARE_LOGGING_CATEGORY(lcSystemExtension)
