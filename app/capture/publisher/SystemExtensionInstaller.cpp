#include "capture/publisher/SystemExtensionInstaller.h"

#include "capture/publisher/PublisherLogging.h"

SystemExtensionInstaller::SystemExtensionInstaller(ExtensionActivator& activator, QObject* parent)
    : QObject(parent)
    , m_activator(activator) {}

void SystemExtensionInstaller::activateExtension() {
    if (m_state.kind == State::Kind::requesting) {
        return;  // a request in flight is never duplicated
    }
    setState({State::Kind::requesting, {}});
    setLastMessage(QStringLiteral("Requesting activation…"));
    m_activator.submitActivationRequest(QString::fromLatin1(kExtensionIdentifier), *this);
    qCInfo(lcSystemExtension, "Submitted activation request for %s", kExtensionIdentifier);
}

SystemExtensionInstaller::ReplacementAction SystemExtensionInstaller::actionForReplacingExtension(
    const QString& installedVersion, const QString& newVersion) {
    qCInfo(lcSystemExtension, "Replacing existing extension v%s with v%s",
           qUtf8Printable(installedVersion), qUtf8Printable(newVersion));
    return ReplacementAction::replace;
}

void SystemExtensionInstaller::requestNeedsUserApproval(const QString& instruction) {
    setState({State::Kind::needsApproval, {}});
    setLastMessage(instruction);
    qCInfo(lcSystemExtension, "User approval required.");
}

void SystemExtensionInstaller::requestDidFinish(Result result) {
    switch (result) {
        case Result::completed:
            setState({State::Kind::active, {}});
            setLastMessage(QStringLiteral("Virtual camera extension installed."));
            qCInfo(lcSystemExtension, "Activation completed.");
            return;
        case Result::willCompleteAfterReboot:
            setState({State::Kind::needsApproval, {}});
            setLastMessage(
                QStringLiteral("Restart your computer to finish installing the camera."));
            return;
        case Result::unknown:
            setState(State::failed(QStringLiteral("Unknown result")));
            return;
    }
}

QString SystemExtensionInstaller::messageFor(const Error& error) {
    return QStringLiteral(
               "Installation failed (code %1): %2. Check the journal "
               "(journalctl --user -t %3) for details.")
        .arg(error.code)
        .arg(error.localizedDescription, QLatin1String(kExtensionIdentifier));
}

void SystemExtensionInstaller::requestDidFail(const Error& error) {
    const QString message = messageFor(error);
    setState(State::failed(message));
    setLastMessage(message);
    qCCritical(lcSystemExtension, "Activation failed domain=%s code=%ld: %s",
               qUtf8Printable(error.domain), error.code,
               qUtf8Printable(error.localizedDescription));
}

void SystemExtensionInstaller::setState(const State& state) {
    if (m_state != state) {
        m_state = state;
        Q_EMIT stateChanged();
    }
}

void SystemExtensionInstaller::setLastMessage(const QString& message) {
    if (m_lastMessage != message) {
        m_lastMessage = message;
        Q_EMIT lastMessageChanged();
    }
}
