#include "ocr/EngineModule.h"

#include "ocr/EngineThreading.h"
#include "ocr/TextRecognitionEngine.h"

#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

#include <array>
#include <mutex>

namespace EngineModule {
namespace {

constexpr char kModuleFileName[] = "libvelarion_ocr_tesseract.so";

struct LoadedModule {
    void* handle = nullptr;
    CreateTextRecognitionEngineFn create = nullptr;
    QString error;
};

QString executableDirectory() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

// Why the module's own symbols come first: ocr/EngineThreading.h.
constexpr int kOwnSymbolsFirst = EngineThreading::kStandInsBound ? RTLD_DEEPBIND : 0;

LoadedModule load() {
    LoadedModule module;
    QStringList tried;
    for (const QString& path : candidatePaths()) {
        if (!QFileInfo::exists(path)) {
            tried << path;
            continue;
        }
        // The module is never unloaded: engines made from it live until the process ends.
        module.handle =
            ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL | kOwnSymbolsFirst);
        if (module.handle == nullptr) {
            module.error = QString::fromLocal8Bit(::dlerror());
            return module;
        }
        module.create = reinterpret_cast<CreateTextRecognitionEngineFn>(
            ::dlsym(module.handle, kCreateTextRecognitionEngineSymbol));
        if (module.create == nullptr) {
            module.error = QStringLiteral("%1 has no engine entry point").arg(path);
        }
        return module;
    }
    module.error = QStringLiteral("the text recognition module was not found (looked for %1)")
                       .arg(tried.join(QStringLiteral(", ")));
    return module;
}

const LoadedModule& loadedModule() {
    static const LoadedModule module = load();
    return module;
}

}  // namespace

QStringList candidatePaths() {
    const QString dir = executableDirectory();
    return {QDir(dir).filePath(QString::fromLatin1(kModuleFileName)),
            QDir(dir).filePath(QStringLiteral("../lib/velarion/") +
                               QString::fromLatin1(kModuleFileName))};
}

Creation createEngine() {
    const LoadedModule& module = loadedModule();
    Creation creation;
    if (module.create == nullptr) {
        creation.error = module.error;
        return creation;
    }
    std::array<char, 512> error{};
    creation.engine.reset(module.create(error.data(), static_cast<int>(error.size())));
    if (!creation.engine) {
        creation.error = QString::fromUtf8(error.data());
    }
    return creation;
}

}  // namespace EngineModule
