#pragma once

#include <QByteArray>
#include <QFuture>
#include <QString>
#include <QStringList>

// What became of one run of a command-line tool.
struct CommandResult {
    enum class Outcome {
        FailedToStart,  // `errorDescription` holds the system's reason
        TimedOut,       // killed after the time limit; `errorDescription` says so
        Crashed,        // ended by a signal
        Exited,         // ran to the end; see `exitCode`
    };

    Outcome outcome = Outcome::FailedToStart;
    int exitCode = -1;
    QString errorDescription;
    // In merged mode standard error is interleaved into `standardOutput` and `standardError` is
    // empty.
    QByteArray standardOutput;
    QByteArray standardError;

    bool succeeded() const { return outcome == Outcome::Exited && exitCode == 0; }
    bool started() const { return outcome != Outcome::FailedToStart; }
    QString standardOutputText() const { return QString::fromUtf8(standardOutput); }
    QString standardErrorText() const { return QString::fromUtf8(standardError); }
};

struct CommandOptions {
    static constexpr int kDefaultTimeoutMs = 30'000;

    enum class Channels { Separate, Merged };

    Channels channels = Channels::Separate;
    int timeoutMs = kDefaultTimeoutMs;
};

// The one way the application runs system command-line tools: an absolute path and an argument
// list, never a shell. Standard input is empty; standard output and standard error are drained
// concurrently so a tool that writes a lot to both cannot stall, and a tool that outlives the
// time limit is killed and reported as timed out.
//
// `run` blocks the calling thread until the tool ends and may be called from any thread;
// `runAsync` runs it on Qt's global thread pool so the GUI thread never waits.
class CommandRunner {
public:
    virtual ~CommandRunner() = default;

    virtual CommandResult run(const QString& program, const QStringList& arguments,
                              const CommandOptions& options = {}) const;

    QFuture<CommandResult> runAsync(const QString& program, const QStringList& arguments,
                                    const CommandOptions& options = {}) const;
};
