// hotkey_grab_helper KEYSYM MASK [--with-locks]
// Grabs the key with the core modifier MASK on the root window (and its Caps Lock / Num Lock
// variants with --with-locks), prints "grabbed" or "refused", and holds the grab until its
// standard input closes or it is killed.

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s KEYSYM MASK [--with-locks]\n", argv[0]);
        return 2;
    }
    const auto mask = static_cast<uint16_t>(std::strtoul(argv[2], nullptr, 0));
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
    xcb_keycode_t* keycodes =
        xcb_connection_has_error(connection)
            ? nullptr
            : xcb_key_symbols_get_keycode(symbols, std::strtoul(argv[1], nullptr, 0));
    if (!keycodes || keycodes[0] == XCB_NO_SYMBOL) {
        std::fprintf(stderr, "no display, or no key for the keysym\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    // Lock, Mod2 (Num Lock on the server's default map) and both.
    const uint16_t locks[] = {0, 0x02, 0x10, 0x12};
    const bool withLocks = argc > 3 && std::strcmp(argv[3], "--with-locks") == 0;
    bool refused = false;
    for (int i = 0; i < (withLocks ? 4 : 1); ++i) {
        const xcb_void_cookie_t cookie =
            xcb_grab_key_checked(connection, 0, root, mask | locks[i], keycodes[0],
                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
            refused = true;
            std::free(error);
        }
    }
    std::free(keycodes);
    std::printf(refused ? "refused\n" : "grabbed\n");
    std::fflush(stdout);
    char buffer[64];
    while (!refused && read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    xcb_key_symbols_free(symbols);
    xcb_disconnect(connection);
    return refused ? 3 : 0;
}
