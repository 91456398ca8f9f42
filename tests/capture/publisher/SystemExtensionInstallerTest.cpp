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
