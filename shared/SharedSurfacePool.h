#pragma once

#include <cstdint>
#include <memory>

class SharedSurface;

// Makes shared surfaces of one size and format for a publisher. Creating a pool also removes the
// surfaces that publishers of this user left behind when they died. Virtual so that tests can
// make an allocation fail.
class SharedSurfacePool {
public:
    // Nothing when the attributes are not a 4-byte-per-pixel surface of sensible size or shared
    // memory is not usable here.
    static std::unique_ptr<SharedSurfacePool> create(int width, int height,
                                                     std::uint32_t pixelFormat);
    virtual ~SharedSurfacePool();

    // Nothing when the system refuses the memory.
    virtual std::unique_ptr<SharedSurface> createSurface();

    int width() const { return m_width; }
    int height() const { return m_height; }
    std::uint32_t pixelFormat() const { return m_pixelFormat; }

protected:
    SharedSurfacePool(int width, int height, std::uint32_t pixelFormat);

private:
    int m_width;
    int m_height;
    std::uint32_t m_pixelFormat;
};
