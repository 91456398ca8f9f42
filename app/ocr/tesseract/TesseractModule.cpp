// The entry point of the loadable engine module.

#include "ocr/TextRecognitionEngine.h"
#include "ocr/tesseract/TesseractEngine.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>
#include <memory>

extern "C" __attribute__((visibility("default"))) TextRecognitionEngine*
velarion_create_text_engine(char* error, int errorSize) {
    auto engine = std::make_unique<TesseractEngine>();
    if (!engine->initError().isEmpty()) {
        if (error != nullptr && errorSize > 0) {
            const QByteArray message = engine->initError().toUtf8();
            const int length = std::min(static_cast<int>(message.size()), errorSize - 1);
            std::memcpy(error, message.constData(), static_cast<size_t>(length));
            error[length] = '\0';
        }
        return nullptr;
    }
    return engine.release();
}
