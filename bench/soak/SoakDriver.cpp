#include "SoakDriver.h"

#include <chrono>
#include <cstdlib>
#include <mutex>

namespace {

constexpr std::size_t kMaxOwnWindows = 6;

}  // namespace

SoakDriver::SoakDriver(const QString& display, std::uint32_t ownColour, int screenWidth,
                       int screenHeight)
    : m_colour(ownColour)
    , m_width(screenWidth)
    , m_height(screenHeight) {
    xcb_connection_t* c = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    if (xcb_connection_has_error(c) != 0) {
        xcb_disconnect(c);
        return;
    }
    m_connection = c;
    m_screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    m_first = openWindow();
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));  // a round trip
}

SoakDriver::~SoakDriver() {
    stop();
    if (m_connection != nullptr) {
        xcb_disconnect(m_connection);
    }
}

void SoakDriver::setForeignWindows(const QList<std::uint32_t>& windows) {
    const std::lock_guard lock(m_foreignMutex);
    m_foreign.assign(windows.begin(), windows.end());
}

void SoakDriver::start(int actionsPerSecond) {
    m_running = true;
    m_thread = std::thread([this, actionsPerSecond] { run(actionsPerSecond); });
}

void SoakDriver::stop() {
    m_running = false;
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

std::uint32_t SoakDriver::openWindow() {
    std::uniform_int_distribution<int> size(60, 400);
    const int w = size(m_random);
    const int h = size(m_random);
    std::uniform_int_distribution<int> x(-50, m_width - 50);
    std::uniform_int_distribution<int> y(-50, m_height - 50);
    const std::uint32_t id = xcb_generate_id(m_connection);
    const uint32_t values[] = {m_colour};
    xcb_create_window(
        m_connection, XCB_COPY_FROM_PARENT, id, m_screen->root, static_cast<int16_t>(x(m_random)),
        static_cast<int16_t>(y(m_random)), static_cast<uint16_t>(w), static_cast<uint16_t>(h), 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, m_screen->root_visual, XCB_CW_BACK_PIXEL, values);
    xcb_map_window(m_connection, id);
    m_own.push_back(id);
    return id;
}

void SoakDriver::drainEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        if (event->response_type == 0) {
            ++m_errors;
        }
        std::free(event);
    }
}

void SoakDriver::act() {
    std::uint32_t target = 0;
    {
        const std::lock_guard lock(m_foreignMutex);
        std::uniform_int_distribution<std::size_t> pick(0, m_own.size() + m_foreign.size() - 1);
        const std::size_t index = pick(m_random);
        target = index < m_own.size() ? m_own[index] : m_foreign[index - m_own.size()];
    }
    xcb_connection_t* c = m_connection;
    switch (std::uniform_int_distribution<int>(0, 6)(m_random)) {
        case 0:
            if (m_own.size() < kMaxOwnWindows) {
                openWindow();
            }
            break;
        case 1:
            // The first window stays: it is the id the capture was told to leave out.
            if (m_own.size() > 1) {
                std::uniform_int_distribution<std::size_t> pick(1, m_own.size() - 1);
                const std::size_t index = pick(m_random);
                xcb_destroy_window(c, m_own[index]);
                m_own.erase(m_own.begin() + static_cast<std::ptrdiff_t>(index));
            }
            break;
        case 2:
        case 3: {
            std::uniform_int_distribution<int> x(-100, m_width - 50);
            std::uniform_int_distribution<int> y(-100, m_height - 50);
            const uint32_t place[] = {static_cast<uint32_t>(x(m_random)),
                                      static_cast<uint32_t>(y(m_random))};
            xcb_configure_window(c, target, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, place);
            break;
        }
        case 4: {
            std::uniform_int_distribution<uint32_t> size(40, 500);
            const uint32_t extent[] = {size(m_random), size(m_random)};
            xcb_configure_window(c, target, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                                 extent);
            break;
        }
        case 5:
            xcb_unmap_window(c, target);
            break;
        default: {
            xcb_map_window(c, target);
            const uint32_t above[] = {XCB_STACK_MODE_ABOVE};
            xcb_configure_window(c, target, XCB_CONFIG_WINDOW_STACK_MODE, above);
            break;
        }
    }
    xcb_flush(c);
    ++m_actions;
}

void SoakDriver::run(int actionsPerSecond) {
    const auto interval = std::chrono::microseconds(1'000'000 / std::max(1, actionsPerSecond));
    auto next = std::chrono::steady_clock::now();
    while (m_running) {
        act();
        drainEvents();
        next += interval;
        std::this_thread::sleep_until(next);
    }
}
