#pragma once

#include "capture/ExtensionActivator.h"
#include "capture/SystemExtensionInstaller.h"

#include <QString>

#include <gtest/gtest.h>

// Answers activation requests as the test says.
class ScriptedActivator final : public ExtensionActivator {
public:
    void submitActivationRequest(const QString&, ActivationRequestDelegate& delegate) override {
        ++submissions;
        this->delegate = &delegate;
    }

    // Brings `installer` (which submits to this activator) to `kind` the way real answers do.
    void drive(SystemExtensionInstaller& installer, SystemExtensionInstaller::State::Kind kind) {
        using Kind = SystemExtensionInstaller::State::Kind;
        if (kind == Kind::idle) {
            return;
        }
        installer.activateExtension();
        switch (kind) {
            case Kind::needsApproval:
                delegate->requestNeedsUserApproval(QStringLiteral("Approve it."));
                break;
            case Kind::active:
                delegate->requestDidFinish(ActivationRequestDelegate::Result::completed);
                break;
            case Kind::failed:
                delegate->requestDidFail({QStringLiteral("d"), 1, QStringLiteral("no")});
                break;
            default:
                break;
        }
        ASSERT_EQ(installer.state().kind, kind);
    }

    int submissions = 0;
    ActivationRequestDelegate* delegate = nullptr;
};
