// A small X client for the capture tests and benchmark: opens solid-colour windows with given
// titles, sizes and WM_CLASS, prints "ready <id>..." once all are mapped, and keeps running until
// it is ended. It can repaint every window at 30 Hz (full motion) or tick a small clock area once
// a second (a mostly static screen).
//
// --window WxH+X+Y#RRGGBB[:TITLE]   one window; without ':' it has no title at all
// --class NAME                     WM_CLASS ("name", "NAME")
// --dock                           _NET_WM_WINDOW_TYPE_DOCK
// --delayed-window LAYOUT          one more window, mapped half a second after "ready"
// --animate | --clock
// --wander                         moves the first window to a new place every few milliseconds

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <poll.h>
#include <unistd.h>

namespace {

struct WindowLayout {
    int width = 200;
    int height = 200;
    int x = 0;
    int y = 0;
    uint32_t colour = 0x808080;
    bool hasTitle = false;
    std::string title;
};

bool parseWindow(const char* text, WindowLayout& layout) {
    char title[512] = {0};
    int consumed = 0;
    if (std::sscanf(text, "%dx%d+%d+%d#%6x%n", &layout.width, &layout.height, &layout.x, &layout.y,
                    &layout.colour, &consumed) < 5) {
        return false;
    }
    if (text[consumed] == ':') {
        layout.hasTitle = true;
        std::snprintf(title, sizeof title, "%s", text + consumed + 1);
        layout.title = title;
    }
    return true;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<WindowLayout> specs;
    std::vector<WindowLayout> delayedSpecs;
    std::string windowClass;
    bool dock = false;
    bool animate = false;
    bool clock = false;
    bool wander = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--window" || arg == "--delayed-window") && i + 1 < argc) {
            WindowLayout layout;
            if (!parseWindow(argv[++i], layout)) {
                std::fprintf(stderr, "bad window: %s\n", argv[i]);
                return 2;
            }
            (arg == "--window" ? specs : delayedSpecs).push_back(layout);
        } else if (arg == "--class" && i + 1 < argc) {
            windowClass = argv[++i];
        } else if (arg == "--dock") {
            dock = true;
        } else if (arg == "--animate") {
            animate = true;
        } else if (arg == "--clock") {
            clock = true;
        } else if (arg == "--wander") {
            wander = true;
        } else {
            std::fprintf(stderr, "unknown argument: %s\n", arg.c_str());
            return 2;
        }
    }

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "cannot connect to $DISPLAY\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_atom_t netWmName = atom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atom(c, "UTF8_STRING");
    const xcb_atom_t typeAtom = atom(c, "_NET_WM_WINDOW_TYPE");

    const auto create = [&](const WindowLayout& layout) {
        const xcb_window_t window = xcb_generate_id(c);
        const uint32_t values[] = {layout.colour, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, layout.x, layout.y,
                          layout.width, layout.height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
        if (layout.hasTitle) {
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING,
                                8, layout.title.size(), layout.title.data());
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, netWmName, utf8, 8,
                                layout.title.size(), layout.title.data());
        }
        if (!windowClass.empty()) {
            std::string lower = windowClass;
            for (char& ch : lower) {
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            }
            const std::string value = lower + '\0' + windowClass + '\0';
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                                XCB_ATOM_STRING, 8, value.size(), value.data());
        }
        if (dock) {
            const xcb_atom_t value = atom(c, "_NET_WM_WINDOW_TYPE_DOCK");
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, typeAtom, XCB_ATOM_ATOM, 32, 1,
                                &value);
        }
        // Ask the window manager, if any, to honour the requested position.
        const uint32_t hints[18] = {
            1u | 4u | 8u, static_cast<uint32_t>(layout.x), static_cast<uint32_t>(layout.y),
            static_cast<uint32_t>(layout.width), static_cast<uint32_t>(layout.height)};
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NORMAL_HINTS,
                            XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
        return window;
    };

    std::vector<xcb_window_t> windows;
    for (const WindowLayout& layout : specs) {
        windows.push_back(create(layout));
        xcb_map_window(c, windows.back());
    }
    xcb_flush(c);

    size_t mapped = 0;
    while (mapped < windows.size()) {
        xcb_generic_event_t* event = xcb_wait_for_event(c);
        if (!event) {
            return 1;
        }
        if ((event->response_type & ~0x80) == XCB_MAP_NOTIFY) {
            ++mapped;
        }
        std::free(event);
    }
    std::printf("ready");
    for (const xcb_window_t window : windows) {
        std::printf(" %u", window);
    }
    std::printf("\n");
    std::fflush(stdout);

    if (!delayedSpecs.empty()) {
        ::usleep(500'000);
        for (const WindowLayout& layout : delayedSpecs) {
            const xcb_window_t window = create(layout);
            xcb_map_window(c, window);
        }
        xcb_flush(c);
    }

    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, screen->root, 0, nullptr);
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    long frame = 0;
    for (;;) {
        pollfd pfd{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&pfd, 1, wander ? 3 : animate ? 33 : clock ? 1000 : -1);
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            std::free(event);
        }
        if (xcb_connection_has_error(c)) {
            return 0;
        }
        ++frame;
        if (animate) {
            for (size_t i = 0; i < windows.size(); ++i) {
                const uint32_t colour =
                    static_cast<uint32_t>((frame * 7 + i * 40) & 0xff) * 0x010101u;
                xcb_change_window_attributes(c, windows[i], XCB_CW_BACK_PIXEL, &colour);
                xcb_clear_area(c, 0, windows[i], 0, 0, 0, 0);
            }
        } else if (wander && !windows.empty()) {
            const uint32_t place[2] = {static_cast<uint32_t>((frame * 37) % 900),
                                       static_cast<uint32_t>((frame * 23) % 500)};
            xcb_configure_window(c, windows[0], XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, place);
        } else if (clock && !windows.empty()) {
            const long seconds =
                std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count();
            const uint32_t colour = (seconds % 2) ? 0xffffff : 0x000000;
            xcb_change_gc(c, gc, XCB_GC_FOREGROUND, &colour);
            const xcb_rectangle_t digits{10, 10, 60, 20};
            xcb_poly_fill_rectangle(c, windows[0], gc, 1, &digits);
        }
        xcb_flush(c);
    }
}
