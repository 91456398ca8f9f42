#include "capture/publisher/SystemExtensionInstaller.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using Installer = SystemExtensionInstaller;
using Kind = Installer::State::Kind;

// Records submissions; the test answers as the daemon launcher would.
class FakeActivator : public ExtensionActivator {
public:
    void submitActivationRequest(const QString& identifier,
                                 ActivationRequestDelegate& delegate) override {
        identifiers.push_back(identifier);
        lastDelegate = &delegate;
    }
    std::vector<QString> identifiers;
    ActivationRequestDelegate* lastDelegate = nullptr;
};

}  // namespace

TEST(SystemExtensionInstaller, SubmitsOnceWhileARequestIsInFlightAndAgainAfterAnAnswer) {
    FakeActivator activator;
    Installer installer(activator);
    QSignalSpy stateSpy(&installer, &Installer::stateChanged);
    installer.activateExtension();
    installer.activateExtension();
    ASSERT_EQ(activator.identifiers.size(), 1u);
    EXPECT_EQ(activator.identifiers[0], QStringLiteral("com.orvandel.Velarion.CameraExtension"));
    EXPECT_EQ(installer.state().kind, Kind::requesting);
    EXPECT_EQ(installer.lastMessage(), QStringLiteral("Requesting activation…"));
    EXPECT_EQ(stateSpy.count(), 1);

    activator.lastDelegate->requestDidFinish(ActivationRequestDelegate::Result::completed);
    EXPECT_EQ(installer.state().kind, Kind::active);
    EXPECT_EQ(installer.lastMessage(), QStringLiteral("Virtual camera extension installed."));

    installer.activateExtension();
    EXPECT_EQ(activator.identifiers.size(), 2u);
    EXPECT_EQ(installer.state().kind, Kind::requesting);
}

TEST(SystemExtensionInstaller, MapsEveryAnswerToItsStateAndMessage) {
    FakeActivator activator;
    Installer installer(activator);
    installer.activateExtension();
    ActivationRequestDelegate& delegate = *activator.lastDelegate;

    EXPECT_EQ(
        delegate.actionForReplacingExtension(QStringLiteral("1.0.0"), QStringLiteral("1.0.0")),
        ActivationRequestDelegate::ReplacementAction::replace);
    EXPECT_EQ(installer.state().kind, Kind::requesting) << "a replacement changes nothing";

    delegate.requestNeedsUserApproval(QStringLiteral("Start PipeWire."));
    EXPECT_EQ(installer.state().kind, Kind::needsApproval);
    EXPECT_EQ(installer.lastMessage(), QStringLiteral("Start PipeWire."));

    delegate.requestDidFinish(ActivationRequestDelegate::Result::willCompleteAfterReboot);
    EXPECT_EQ(installer.state().kind, Kind::needsApproval);
    EXPECT_EQ(installer.lastMessage(),
              QStringLiteral("Restart your computer to finish installing the camera."));

    delegate.requestDidFinish(ActivationRequestDelegate::Result::unknown);
    EXPECT_EQ(installer.state(), Installer::State::failed(QStringLiteral("Unknown result")));
    EXPECT_EQ(installer.lastMessage(),
              QStringLiteral("Restart your computer to finish installing the camera."))
        << "an unknown result leaves the message";
}

TEST(SystemExtensionInstaller, FailuresCarryTheirMessageInStateAndLastMessage) {
    struct Case {
        const char* domain;
        long code;
        QString expected;
    };
    const QString generic = QStringLiteral(
        "Installation failed (code 3): No such thing. Check the journal (journalctl --user -t "
        "com.orvandel.Velarion.CameraExtension) for details.");
    const Case cases[] = {
        {"OSSystemExtensionErrorDomain", 3,
         QStringLiteral("Move Velarion.app to /Applications and relaunch.")},
        {"OSSystemExtensionErrorDomain", 5,
         QStringLiteral("Extension bundle ID missing. Clean Build Folder and rebuild.")},
        {"com.orvandel.Velarion.CameraDaemon", 3, generic},  // another domain: generic
    };
    for (const Case& c : cases) {
        FakeActivator activator;
        Installer installer(activator);
        installer.activateExtension();
        activator.lastDelegate->requestDidFail(
            {QString::fromLatin1(c.domain), c.code, QStringLiteral("No such thing")});
        EXPECT_EQ(installer.state(), Installer::State::failed(c.expected)) << c.domain << c.code;
        EXPECT_EQ(installer.lastMessage(), c.expected);
    }
}
