#pragma once

#include <QString>

// The shell script that finishes an update after the application has quit: wait for the old
// process to end, remove the old bundle, move the staged one into its place and start it.
namespace RelaunchScript {

// The script's text: five lines and no final line feed. Every path is quoted for /bin/sh, so
// quotes, "$(…)" and back-quotes in a path stay plain characters.
QString text(qint64 processId, const QString& staged, const QString& target);

// `value` inside single quotes, each embedded single quote written as '\''.
QString shellQuoted(const QString& value);

}  // namespace RelaunchScript
