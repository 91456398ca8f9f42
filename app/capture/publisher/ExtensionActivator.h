#pragma once

#include <QString>

// The answers of an activation request, as the system's request delegate gets them. Called on the
// GUI thread.
class ActivationRequestDelegate {
public:
    enum class ReplacementAction { cancel, replace };
    enum class Result { completed, willCompleteAfterReboot, unknown };
    struct Error {
        QString domain;
        long code = 0;
        QString localizedDescription;
    };

    virtual ~ActivationRequestDelegate() = default;
    virtual ReplacementAction actionForReplacingExtension(const QString& installedVersion,
                                                          const QString& newVersion) = 0;
    // `instruction` tells the user what to do, in words true for this system.
    virtual void requestNeedsUserApproval(const QString& instruction) = 0;
    virtual void requestDidFinish(Result result) = 0;
    virtual void requestDidFail(const Error& error) = 0;
};

// Starts the camera extension for the user; the outcome arrives later through the delegate.
class ExtensionActivator {
public:
    virtual ~ExtensionActivator() = default;
    virtual void submitActivationRequest(const QString& extensionIdentifier,
                                         ActivationRequestDelegate& delegate) = 0;
};
