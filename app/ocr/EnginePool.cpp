#include "ocr/EnginePool.h"

#include "ocr/EngineModule.h"
#include "ocr/TextRecognitionEngine.h"

#include <QThread>

#include <algorithm>

EnginePool::Lease::Lease(EnginePool* pool, TextRecognitionEngine* engine, QString error)
    : m_pool(pool)
    , m_engine(engine)
    , m_error(std::move(error)) {}

EnginePool::Lease::~Lease() {
    if (m_pool != nullptr && m_engine != nullptr) {
        m_pool->release(m_engine);
    }
}

EnginePool::Lease::Lease(Lease&& other) noexcept
    : m_pool(other.m_pool)
    , m_engine(other.m_engine)
    , m_error(std::move(other.m_error)) {
    other.m_engine = nullptr;
}

EnginePool& EnginePool::shared() {
    // Deliberately leaked: worker threads may still hold engines during static destruction.
    static EnginePool* pool = new EnginePool(std::clamp(QThread::idealThreadCount(), 1, 4));
    return *pool;
}

EnginePool::EnginePool(int capacity, EngineFactory createEngine)
    : m_capacity(std::max(1, capacity))
    , m_createEngine(std::move(createEngine)) {}

EnginePool::~EnginePool() = default;

EnginePool::Lease EnginePool::acquire() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_idle.empty()) {
            TextRecognitionEngine* engine = m_idle.back();
            m_idle.pop_back();
            return Lease(this, engine, {});
        }
        if (m_reserved < m_capacity) {
            // Count the engine before creating it outside the lock, so that threads arriving
            // meanwhile never create more than the capacity.
            ++m_reserved;
            lock.unlock();
            EngineModule::Creation created = m_createEngine();
            lock.lock();
            if (!created.engine) {
                --m_reserved;
                m_available.notify_one();
                return Lease(nullptr, nullptr, created.error);
            }
            m_engines.push_back(std::move(created.engine));
            return Lease(this, m_engines.back().get(), {});
        }
        m_available.wait(lock);
    }
}

void EnginePool::release(TextRecognitionEngine* engine) {
    {
        const std::lock_guard lock(m_mutex);
        m_idle.push_back(engine);
    }
    m_available.notify_one();
}
