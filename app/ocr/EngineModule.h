#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class TextRecognitionEngine;

// Loads the recognition engine module on first use: the application starts without the engine
// and its language data in memory, and a missing or broken engine installation becomes the
// error of a scan instead of a failure to start.
namespace EngineModule {

struct Creation {
    std::unique_ptr<TextRecognitionEngine> engine;
    QString error;
};

// Where the module is looked for, in order: beside the running executable, then in
// ../lib/velarion relative to it (the installed layout).
QStringList candidatePaths();

// Loads the module once per process (thread-safe) and creates one engine from it.
Creation createEngine();

}  // namespace EngineModule
