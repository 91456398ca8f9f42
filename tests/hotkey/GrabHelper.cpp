// hotkey_grab_helper KEYSYM MASK [--with-locks]
// Grabs the key with the core modifier MASK on the root window (and its Caps Lock / Num Lock
// variants with --with-locks), prints "grabbed" or "refused", and holds the grab until killed or
// until its standard input closes.

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s KEYSYM MASK [--with-locks]\n", argv[0]);
        return 2;
    }
    const auto keysym = static_cast<xcb_keysym_t>(std::strtoul(argv[1], nullptr, 0));
    const auto mask = static_cast<uint16_t>(std::strtoul(argv[2], nullptr, 0));
    const bool withLocks = argc > 3 && std::strcmp(argv[3], "--with-locks") == 0;

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "cannot connect\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
    xcb_keycode_t* keycodes = xcb_key_symbols_get_keycode(symbols, keysym);
    if (!keycodes || keycodes[0] == XCB_NO_SYMBOL) {
        std::fprintf(stderr, "no key for keysym\n");
        return 2;
    }
    std::vector<uint16_t> masks{mask};
    if (withLocks) {
        // Lock, Mod2 (Num Lock on the server's default map) and both.
        masks = {mask, uint16_t(mask | 0x02), uint16_t(mask | 0x10), uint16_t(mask | 0x12)};
    }
    bool refused = false;
    for (const uint16_t m : masks) {
        xcb_void_cookie_t cookie = xcb_grab_key_checked(connection, 0, root, m, keycodes[0],
                                                        XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
            refused = true;
            std::free(error);
        }
    }
    std::free(keycodes);
    std::printf(refused ? "refused\n" : "grabbed\n");
    std::fflush(stdout);
    if (refused) {
        return 3;
    }
    char buffer[64];
    while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    xcb_key_symbols_free(symbols);
    xcb_disconnect(connection);
    return 0;
}
