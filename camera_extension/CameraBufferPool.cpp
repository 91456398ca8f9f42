#include "camera_extension/CameraBufferPool.h"

struct CameraBufferPool::State {
    std::mutex mutex;
    std::vector<std::vector<std::uint8_t>> storage;
    std::vector<CameraBuffer> buffers;
    std::vector<int> free;
};

CameraBufferPool::CameraBufferPool(int width, int height, std::uint32_t pixelFormat,
                                   int bufferCount)
    : m_state(std::make_shared<State>()) {
    const int bytesPerRow = width * 4;
    for (int i = 0; i < bufferCount; ++i) {
        m_state->storage.emplace_back(std::size_t(bytesPerRow) * std::size_t(height));
    }
    for (int i = 0; i < bufferCount; ++i) {
        m_state->buffers.push_back(
            {m_state->storage[std::size_t(i)].data(), width, height, bytesPerRow, pixelFormat});
        m_state->free.push_back(i);
    }
}

CameraBufferPool::~CameraBufferPool() = default;

std::shared_ptr<CameraBuffer> CameraBufferPool::acquire() {
    std::lock_guard lock(m_state->mutex);
    if (m_state->free.empty()) {
        return nullptr;
    }
    const int index = m_state->free.back();
    m_state->free.pop_back();
    std::shared_ptr<State> state = m_state;
    return std::shared_ptr<CameraBuffer>(&state->buffers[std::size_t(index)],
                                         [state, index](CameraBuffer*) {
                                             std::lock_guard relock(state->mutex);
                                             state->free.push_back(index);
                                         });
}
