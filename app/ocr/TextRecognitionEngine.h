#pragma once

#include "ocr/RecognizedLine.h"

class QImage;

// One text-recognition engine instance. Not thread-safe: an instance is used by one thread at a
// time (EnginePool hands them out). Implemented by the loadable engine module in tesseract/.
class TextRecognitionEngine {
public:
    virtual ~TextRecognitionEngine() = default;

    // Recognises the text lines of an 8-bit grayscale image holding dark text on a light ground.
    virtual RecognitionOutcome recognize(const QImage& grayscale) = 0;

    // Reads an image that holds one line of text (dark on light, with some ground around it)
    // without any layout analysis. Gives at most one line, whose box is the whole image, with the
    // boxes of its characters.
    virtual RecognitionOutcome recognizeLine(const QImage& grayscale) = 0;
};

// The module's one exported entry point; returns nullptr and fills `error` when the engine cannot
// start (missing language data, for instance).
extern "C" {
using CreateTextRecognitionEngineFn = TextRecognitionEngine* (*)(char* error, int errorSize);
}
inline constexpr char kCreateTextRecognitionEngineSymbol[] = "velarion_create_text_engine";
