#include "capture/ScreenCaptureAccess.h"

#include "support/QtPrinters.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

TEST(ScreenCaptureAccessTest, CaptureIsGrantedOnlyOnTheX11PlatformOfANonWaylandSession) {
    struct Case {
        const char* platform;
        const char* sessionType;
        bool granted;
    };
    const Case cases[] = {
        {"xcb", "x11", true},         // an X11 session
        {"xcb", "", true},            // a bare X server, as under Xvfb
        {"xcb", "wayland", false},    // XWayland cannot see the other Wayland clients
        {"wayland", "", false},       // a native Wayland client
        {"offscreen", "x11", false},  // no display server at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.platform) + " / " + c.sessionType);
        ScreenCaptureAccess access(QString::fromLatin1(c.platform),
                                   QString::fromLatin1(c.sessionType));
        EXPECT_EQ(access.preflight(), c.granted);
        EXPECT_EQ(access.property("granted").toBool(), c.granted);
        EXPECT_EQ(access.unavailableReason().isEmpty(), c.granted);

        QSignalSpy changed(&access, &ScreenCaptureAccess::grantedChanged);
        access.request();
        EXPECT_EQ(access.preflight(), c.granted) << "asking again changes nothing";
        EXPECT_EQ(changed.count(), 0);
    }
}

TEST(ScreenCaptureAccessTest, SessionTypeComesFromXdgSessionTypeElseFromAWaylandDisplay) {
    struct Case {
        const char* xdgSessionType;
        const char* waylandDisplay;
        const char* expected;
    };
    const Case cases[] = {
        {"X11", "wayland-0", "x11"},   // a nested compositor inside an X11 session
        {" Wayland ", "", "wayland"},  // case and spaces do not count
        {"", "wayland-0", "wayland"},  // no session type: the Wayland display decides
        {"", "", ""},                  // nothing known
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.xdgSessionType) + " / " + c.waylandDisplay);
        EXPECT_EQ(ScreenCaptureAccess::sessionTypeFrom(QString::fromLatin1(c.xdgSessionType),
                                                       QString::fromLatin1(c.waylandDisplay)),
                  QString::fromLatin1(c.expected));
    }
}
