#pragma once

#include <QList>
#include <QString>

#include <xcb/xcb.h>

#include <atomic>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

// Churns the windows of a private X server from its own thread: opens and closes windows of its
// own process (one of the applications left out, painted `ownColour`), and moves, resizes, maps
// and unmaps those and the windows of other processes given to it, about `actionsPerSecond`
// times a second. Errors about windows that vanished meanwhile are expected and counted.
class SoakDriver {
public:
    SoakDriver(const QString& display, std::uint32_t ownColour, int screenWidth, int screenHeight);
    ~SoakDriver();
    SoakDriver(const SoakDriver&) = delete;
    SoakDriver& operator=(const SoakDriver&) = delete;

    bool isConnected() const { return m_connection != nullptr; }
    // One of its own windows, mapped before this returns: the id that leaves this process out.
    std::uint32_t firstWindow() const { return m_first; }

    // Replaces the foreign windows it may act on (thread-safe between start and stop).
    void setForeignWindows(const QList<std::uint32_t>& windows);
    void start(int actionsPerSecond);
    void stop();

    std::uint64_t actions() const { return m_actions; }
    std::uint64_t xErrors() const { return m_errors; }

private:
    void run(int actionsPerSecond);
    void act();
    std::uint32_t openWindow();
    void drainEvents();

    xcb_connection_t* m_connection = nullptr;
    xcb_screen_t* m_screen = nullptr;
    const std::uint32_t m_colour;
    const int m_width;
    const int m_height;
    std::uint32_t m_first = 0;

    std::mt19937 m_random{20261207};
    std::vector<std::uint32_t> m_own;  // driver thread only, after start
    std::mutex m_foreignMutex;         // guards m_foreign
    std::vector<std::uint32_t> m_foreign;
    std::atomic<bool> m_running{false};
    std::atomic<std::uint64_t> m_actions{0};
    std::atomic<std::uint64_t> m_errors{0};
    std::thread m_thread;
};
