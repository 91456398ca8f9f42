#include "shell/CommandLineActions.h"

#include "shell/InstanceChannel.h"
#include "shell/RemoteInstance.h"

#include <QCommandLineParser>
#include <QTextStream>

#include <cstring>

namespace CommandLineActions {
namespace {

constexpr const char* kActionOptions[] = {"--panic", "--presentation", "--status"};

int fail(int code, const QString& message) {
    QTextStream(stderr) << "velarion: " << message << '\n';
    return code;
}

}  // namespace

bool isAction(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        for (const char* option : kActionOptions) {
            const size_t length = std::strlen(option);
            if (std::strncmp(argv[i], option, length) == 0 &&
                (argv[i][length] == '\0' || argv[i][length] == '=')) {
                return true;
            }
        }
    }
    return false;
}

int run(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Asks the running Velarion to act."));
    const QCommandLineOption panic(QStringLiteral("panic"),
                                   QStringLiteral("Run the panic action (as the hot key does)."));
    const QCommandLineOption presentation(QStringLiteral("presentation"),
                                          QStringLiteral("Switch presentation mode on or off."),
                                          QStringLiteral("on|off"));
    const QCommandLineOption status(QStringLiteral("status"),
                                    QStringLiteral("Print the state of every switch."));
    parser.addOptions({panic, presentation, status});
    if (!parser.parse(arguments)) {
        return fail(2, parser.errorText());
    }
    if (!parser.positionalArguments().isEmpty()) {
        return fail(2, QStringLiteral("unexpected argument %1")
                           .arg(parser.positionalArguments().constFirst()));
    }
    const int chosen =
        int(parser.isSet(panic)) + int(parser.isSet(presentation)) + int(parser.isSet(status));
    if (chosen != 1) {
        return fail(2, QStringLiteral("give one of --panic, --presentation on|off, --status"));
    }

    QString request;
    if (parser.isSet(panic)) {
        request = QString::fromLatin1(InstanceChannel::kPanic);
    } else if (parser.isSet(status)) {
        request = QString::fromLatin1(InstanceChannel::kStatus);
    } else {
        const QString mode = parser.value(presentation);
        if (mode != QLatin1String("on") && mode != QLatin1String("off")) {
            return fail(2, QStringLiteral("--presentation takes on or off, not \"%1\"").arg(mode));
        }
        request =
            QString::fromLatin1(mode == QLatin1String("on") ? InstanceChannel::kPresentationOn
                                                            : InstanceChannel::kPresentationOff);
    }

    const RemoteInstance::Reply reply = RemoteInstance::send(request);
    switch (reply.outcome) {
        case RemoteInstance::Reply::Outcome::noInstance:
            return fail(1, QStringLiteral("Velarion is not running; start it first"));
        case RemoteInstance::Reply::Outcome::failed:
            return fail(1, QStringLiteral("the running Velarion refused: %1").arg(reply.text));
        case RemoteInstance::Reply::Outcome::ok:
            break;
    }
    QTextStream(stdout) << reply.text;
    return 0;
}

}  // namespace CommandLineActions
