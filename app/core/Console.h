#pragma once

#include <QString>

// The plain status lines some components print to standard output ("[DesktopShield] …"). They
// are user-facing diagnostics, not log records, so they bypass the logging categories.
namespace Console {

// Writes `line` and a newline to standard output and flushes, so lines from several threads never
// interleave mid-line.
void printLine(const QString& line);

}  // namespace Console
