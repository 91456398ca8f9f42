#include "core/CommandRunner.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QtConcurrent/QtConcurrentRun>

#include <cerrno>
#include <cstring>
#include <optional>

#include <unistd.h>

namespace {

CommandResult failedToStart(QString reason) {
    CommandResult result;
    result.outcome = CommandResult::Outcome::FailedToStart;
    result.errorDescription = std::move(reason);
    return result;
}

// Checked before starting so the reason is the system's own words ("No such file or directory",
// "Permission denied") rather than Qt's wrapper around them.
std::optional<QString> reasonProgramCannotStart(const QString& program) {
    if (!QDir::isAbsolutePath(program)) {
        return QStringLiteral("not an absolute path");
    }
    if (::access(QFile::encodeName(program).constData(), X_OK) != 0) {
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    if (QFileInfo(program).isDir()) {
        return QString::fromLocal8Bit(std::strerror(EISDIR));
    }
    return std::nullopt;
}

QString timeoutText(int timeoutMs) {
    if (timeoutMs % 1000 == 0) {
        return QStringLiteral("timed out after %1 s").arg(timeoutMs / 1000);
    }
    return QStringLiteral("timed out after %1 ms").arg(timeoutMs);
}

}  // namespace

CommandResult CommandRunner::run(const QString& program, const QStringList& arguments,
                                 const CommandOptions& options) const {
    if (auto reason = reasonProgramCannotStart(program)) {
        return failedToStart(*reason);
    }

    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(options.channels == CommandOptions::Channels::Merged
                                      ? QProcess::MergedChannels
                                      : QProcess::SeparateChannels);
    process.start();
    if (!process.waitForStarted(options.timeoutMs)) {
        return failedToStart(process.errorString());
    }

    // waitForFinished polls both pipes while it waits, so neither can fill up and stall the tool.
    CommandResult result;
    if (!process.waitForFinished(options.timeoutMs)) {
        process.kill();
        process.waitForFinished(-1);
        result.outcome = CommandResult::Outcome::TimedOut;
        result.errorDescription = timeoutText(options.timeoutMs);
    } else if (process.exitStatus() == QProcess::CrashExit) {
        result.outcome = CommandResult::Outcome::Crashed;
        result.errorDescription = process.errorString();
    } else {
        result.outcome = CommandResult::Outcome::Exited;
        result.exitCode = process.exitCode();
    }
    result.standardOutput = process.readAllStandardOutput();
    result.standardError = process.readAllStandardError();
    return result;
}

QFuture<CommandResult> CommandRunner::runAsync(const QString& program, const QStringList& arguments,
                                               const CommandOptions& options) const {
    return QtConcurrent::run(
        [this, program, arguments, options] { return run(program, arguments, options); });
}
