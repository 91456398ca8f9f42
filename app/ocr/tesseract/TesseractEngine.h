#pragma once

#include "ocr/TextRecognitionEngine.h"

#include <QString>

#include <memory>

namespace tesseract {
class TessBaseAPI;
}

// Tesseract 5 with the English LSTM model, set up once and reused for every image: either page
// layout analysis, recognition and the lines with their boxes, or one line read as it is.
// Dictionaries are not loaded (the text on a screen is names, addresses and numbers, not prose),
// and the engine's own retry of words as inverted text is off because images arrive already
// normalised to dark-on-light.
class TesseractEngine final : public TextRecognitionEngine {
public:
    TesseractEngine();
    ~TesseractEngine() override;

    // Empty when the engine is ready, else why it is not.
    QString initError() const { return m_initError; }

    RecognitionOutcome recognize(const QImage& grayscale) override;
    RecognitionOutcome recognizeLine(const QImage& grayscale) override;

private:
    // Sets the image and runs recognition in the given page segmentation mode (a
    // tesseract::PageSegMode); the results stay in the engine until Clear(). Empty, or why not.
    QString run(const QImage& grayscale, int pageSegMode);

    std::unique_ptr<tesseract::TessBaseAPI> m_api;
    QString m_initError;
};
