#pragma once

#include "ocr/EngineModule.h"

#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TextRecognitionEngine;

// The process's recognition engines: at most `capacity()` of them, each created on first need and
// kept until the process ends, and handed to one thread at a time. Creating an engine loads the
// engine module (EngineModule::createEngine) and its language data, which takes a noticeable
// fraction of a second, so they are never created per scan.
class EnginePool {
public:
    // A borrowed engine; goes back to the pool when this object ends. `engine` is null when no
    // engine could be created, and `error` says why.
    class Lease {
    public:
        Lease(EnginePool* pool, TextRecognitionEngine* engine, QString error);
        ~Lease();
        Lease(Lease&& other) noexcept;
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        Lease& operator=(Lease&&) = delete;

        TextRecognitionEngine* engine() const { return m_engine; }
        const QString& error() const { return m_error; }

    private:
        EnginePool* m_pool;
        TextRecognitionEngine* m_engine;
        QString m_error;
    };

    // The one pool of the process, sized to the machine's cores. Never destroyed: scans still
    // running when the application ends may hold engines.
    static EnginePool& shared();

    // Makes one engine; the process's pool loads the engine module.
    using EngineFactory = std::function<EngineModule::Creation()>;

    explicit EnginePool(int capacity, EngineFactory createEngine = &EngineModule::createEngine);
    ~EnginePool();

    int capacity() const { return m_capacity; }

    // Waits until an engine is free (or can be created) and lends it. Thread-safe.
    Lease acquire();

private:
    void release(TextRecognitionEngine* engine);

    const int m_capacity;
    const EngineFactory m_createEngine;
    std::mutex m_mutex;  // guards the members below
    std::condition_variable m_available;
    int m_reserved = 0;  // engines created or being created
    std::vector<std::unique_ptr<TextRecognitionEngine>> m_engines;
    std::vector<TextRecognitionEngine*> m_idle;
};
