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
    EXPECT_EQ(stateSpy.count(), 1);

    activator.lastDelegate->requestDidFinish(ActivationRequestDelegate::Result::completed);
    EXPECT_EQ(installer.state().kind, Kind::active);

    installer.activateExtension();
    EXPECT_EQ(activator.identifiers.size(), 2u);
    EXPECT_EQ(installer.state().kind, Kind::requesting);
}

TEST(SystemExtensionInstaller, EachAnswerMovesTheRequestToItsStateAndMessage) {
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
    const QString rebootMessage = installer.lastMessage();
    EXPECT_NE(rebootMessage, QStringLiteral("Start PipeWire."));

    delegate.requestDidFinish(ActivationRequestDelegate::Result::unknown);
    EXPECT_EQ(installer.state().kind, Kind::failed);
    EXPECT_EQ(installer.lastMessage(), rebootMessage) << "an unknown result leaves the message";

    // A failure names its code and description, in the state and the last message alike.
    delegate.requestDidFail(
        {QStringLiteral("com.orvandel.Velarion.CameraDaemon"), 3, QStringLiteral("No such thing")});
    EXPECT_EQ(installer.state(), Installer::State::failed(installer.lastMessage()));
    EXPECT_TRUE(installer.lastMessage().contains(QStringLiteral("(code 3): No such thing")))
        << installer.lastMessage().toStdString();
}
