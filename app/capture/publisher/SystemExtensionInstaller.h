#pragma once

#include "capture/publisher/ExtensionActivator.h"

#include <QObject>
#include <QString>

// Asks for the camera extension to be activated and keeps the state and one-line message the
// views show. It only submits requests and interprets their answers; the activator does the work.
// GUI thread only.
class SystemExtensionInstaller final : public QObject, public ActivationRequestDelegate {
    Q_OBJECT
    Q_PROPERTY(State state READ state NOTIFY stateChanged)
    Q_PROPERTY(QString lastMessage READ lastMessage NOTIFY lastMessageChanged)

public:
    struct State {
        enum class Kind { idle, requesting, needsApproval, active, failed };
        Kind kind = Kind::idle;
        QString failureMessage;  // only for `failed`

        static State failed(const QString& message) { return {Kind::failed, message}; }
        bool operator==(const State&) const = default;
    };

    static constexpr char kExtensionIdentifier[] = "com.orvandel.Velarion.CameraExtension";

    explicit SystemExtensionInstaller(ExtensionActivator& activator, QObject* parent = nullptr);

    State state() const { return m_state; }
    QString lastMessage() const { return m_lastMessage; }

    void activateExtension();

    ReplacementAction actionForReplacingExtension(const QString& installedVersion,
                                                  const QString& newVersion) override;
    void requestNeedsUserApproval(const QString& instruction) override;
    void requestDidFinish(Result result) override;
    void requestDidFail(const Error& error) override;

    // The user's message for a failure.
    static QString messageFor(const Error& error);

Q_SIGNALS:
    void stateChanged();
    void lastMessageChanged();

private:
    void setState(const State& state);
    void setLastMessage(const QString& message);

    ExtensionActivator& m_activator;
    State m_state;
    QString m_lastMessage;
};
