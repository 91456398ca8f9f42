// The panic hot key on a private Xvfb: how long a grab takes, and how long a press takes to reach
// the pressed handler through the GUI event loop. The peer is a bare XCB client in the same run:
// one checked grab, and a thread blocked in xcb_wait_for_event on a grab of its own.
//
//   bench_hotkey [presses]

#include "shields/hotkey/x11/X11HotkeyGrabber.h"

#include "support/XvfbServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// Control+Mod1+Mod4 and the keycode of a keysym, as the peer grabs them.
constexpr uint16_t kMask = 0x4c;

struct Peer {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    xcb_keycode_t keycode = 0;
    std::atomic<int> presses{0};
    std::atomic<Clock::rep> lastPress{0};

    bool open(const QByteArray& display, xcb_keysym_t keysym) {
        connection = xcb_connect(display.constData(), nullptr);
        if (xcb_connection_has_error(connection)) {
            return false;
        }
        root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
        keycode = codes ? codes[0] : 0;
        std::free(codes);
        xcb_key_symbols_free(symbols);
        return keycode != 0;
    }
    bool grab() {
        xcb_void_cookie_t cookie = xcb_grab_key_checked(connection, 0, root, kMask, keycode,
                                                        XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        xcb_generic_error_t* error = xcb_request_check(connection, cookie);
        std::free(error);
        return error == nullptr;
    }
    void ungrab() {
        xcb_ungrab_key(connection, keycode, root, kMask);
        xcb_flush(connection);
    }
    void run() {
        while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
            if ((event->response_type & 0x7f) == XCB_KEY_PRESS) {
                lastPress = Clock::now().time_since_epoch().count();
                ++presses;
            }
            std::free(event);
        }
    }
};

// Starts xdotool and returns the start time; the caller waits for it to finish before the next
// press, so that two runs never mix their modifier presses.
Clock::time_point press(QProcess& xdotool, const QString& keys) {
    const Clock::time_point start = Clock::now();
    xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
    return start;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int presses = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;

    XvfbServer server;
    if (!server.isRunning()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.errorString()));
        return 1;
    }
    qputenv("DISPLAY", server.display().toLocal8Bit());
    const QByteArray display = server.display().toLocal8Bit();

    X11HotkeyGrabber grabber(display);
    Peer peer;
    if (!grabber.isConnected() || !peer.open(display, 0x6a /* j */)) {
        std::fprintf(stderr, "cannot connect to %s\n", display.constData());
        return 1;
    }

    // Registration: the manager's grab (every keycode of the key, four lock variants, each
    // checked) against one checked grab.
    std::vector<double> ours, theirs;
    for (int i = 0; i < 50; ++i) {
        Clock::time_point t = Clock::now();
        grabber.grab(4, 0x1900);
        ours.push_back(ms(Clock::now() - t));
        t = Clock::now();
        peer.grab();
        theirs.push_back(ms(Clock::now() - t));
        peer.ungrab();
    }
    std::printf("grab, median of 50:           ours %.3f ms   bare XCB %.3f ms\n", median(ours),
                median(theirs));

    // Press to handler.
    int handled = 0;
    Clock::time_point handledAt;
    grabber.setPressedHandler([&] {
        handledAt = Clock::now();
        ++handled;
    });
    peer.grab();
    std::thread reader([&peer] { peer.run(); });

    ours.clear();
    theirs.clear();
    for (int i = 0; i < presses; ++i) {
        QProcess xdotool;
        const int before = handled;
        Clock::time_point start = press(xdotool, QStringLiteral("ctrl+alt+super+h"));
        while (handled == before) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        ours.push_back(ms(handledAt - start));
        xdotool.waitForFinished();

        const int peerBefore = peer.presses;
        start = press(xdotool, QStringLiteral("ctrl+alt+super+j"));
        while (peer.presses == peerBefore) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        theirs.push_back(ms(Clock::time_point(Clock::duration(peer.lastPress.load())) - start));
        xdotool.waitForFinished();
    }
    std::printf("press to handler, median of %d (xdotool start included in both):\n", presses);
    std::printf("                               ours %.2f ms   bare XCB thread %.2f ms\n",
                median(ours), median(theirs));

    // Shutting the socket down ends the peer's blocking read; the connection is freed after.
    ::shutdown(xcb_get_file_descriptor(peer.connection), SHUT_RDWR);
    reader.join();
    xcb_disconnect(peer.connection);
    return 0;
}
