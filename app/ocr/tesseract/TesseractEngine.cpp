#include "ocr/tesseract/TesseractEngine.h"

#include <QImage>

#include <omp.h>
#include <tesseract/baseapi.h>
#include <tesseract/ltrresultiterator.h>
#include <tesseract/resultiterator.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

// A screenshot at twice the point size is about 144 dots per inch; Tesseract uses the value to
// judge sizes in its layout analysis.
constexpr int kSourceResolutionDpi = 144;

// The model lists many characters for every glyph, nearly all at no confidence; those below this
// (of 100) are noise, not a second reading.
constexpr float kMinAlternativeConfidence = 5;

struct DeleteTessString {
    void operator()(char* text) const { delete[] text; }
};
using TessString = std::unique_ptr<char, DeleteTessString>;

}  // namespace

TesseractEngine::TesseractEngine()
    : m_api(std::make_unique<tesseract::TessBaseAPI>()) {
    // Variables that only take effect at initialisation.
    std::vector<std::string> names{"load_system_dawg", "load_freq_dawg",    "load_punc_dawg",
                                   "load_number_dawg", "load_unambig_dawg", "load_bigram_dawg"};
    std::vector<std::string> values(names.size(), "0");
    if (m_api->Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values, false) !=
        0) {
        m_initError = QStringLiteral("Tesseract could not load its English language data");
        return;
    }
    m_api->SetVariable("tessedit_do_invert", "0");
    m_api->SetVariable("debug_file", "/dev/null");
    // Keeps the model's other likely characters for every glyph (ChoiceIterator).
    m_api->SetVariable("lstm_choice_mode", "2");
}

TesseractEngine::~TesseractEngine() {
    if (m_api) {
        m_api->End();
    }
}

QString TesseractEngine::run(const QImage& grayscale, int pageSegMode) {
    if (!m_initError.isEmpty()) {
        return m_initError;
    }
    if (grayscale.format() != QImage::Format_Grayscale8 || grayscale.isNull()) {
        return QStringLiteral("the image is not 8-bit grayscale");
    }
    // A team of one for every region where libgomp runs them (ocr/EngineThreading.h).
    omp_set_max_active_levels(0);
    m_api->SetPageSegMode(static_cast<tesseract::PageSegMode>(pageSegMode));
    m_api->SetImage(grayscale.constBits(), grayscale.width(), grayscale.height(), 1,
                    static_cast<int>(grayscale.bytesPerLine()));
    m_api->SetSourceResolution(kSourceResolutionDpi);
    if (m_api->Recognize(nullptr) != 0) {
        m_api->Clear();
        return QStringLiteral("Tesseract failed to recognise the image");
    }
    return {};
}

RecognitionOutcome TesseractEngine::recognize(const QImage& grayscale) {
    RecognitionOutcome outcome;
    outcome.error = run(grayscale, tesseract::PSM_AUTO);
    if (outcome.failed()) {
        return outcome;
    }
    std::unique_ptr<tesseract::ResultIterator> it(m_api->GetIterator());
    if (it) {
        do {
            const TessString text(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
            int left = 0;
            int top = 0;
            int right = 0;
            int bottom = 0;
            if (!text || !it->BoundingBox(tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom)) {
                continue;
            }
            const QString line = QString::fromUtf8(text.get()).trimmed();
            if (line.isEmpty()) {
                continue;
            }
            // Tesseract's right and bottom edges are exclusive.
            outcome.lines.append(
                RecognizedLine{line, QRect(left, top, right - left, bottom - top)});
        } while (it->Next(tesseract::RIL_TEXTLINE));
    }
    // Drop the page's results now rather than at the next image: they hold the whole layout.
    m_api->Clear();
    return outcome;
}

RecognitionOutcome TesseractEngine::recognizeLine(const QImage& grayscale) {
    RecognitionOutcome outcome;
    outcome.error = run(grayscale, tesseract::PSM_RAW_LINE);
    if (outcome.failed()) {
        return outcome;
    }
    const TessString text(m_api->GetUTF8Text());
    const QString line = text ? QString::fromUtf8(text.get()).simplified() : QString();
    QList<RecognizedGlyph> glyphs;
    std::unique_ptr<tesseract::ResultIterator> it(line.isEmpty() ? nullptr : m_api->GetIterator());
    if (it) {
        do {
            const TessString symbol(it->GetUTF8Text(tesseract::RIL_SYMBOL));
            int left = 0;
            int top = 0;
            int right = 0;
            int bottom = 0;
            if (!symbol || !it->BoundingBox(tesseract::RIL_SYMBOL, &left, &top, &right, &bottom)) {
                continue;
            }
            const QString chosen = QString::fromUtf8(symbol.get());
            QString alternatives;
            tesseract::ChoiceIterator choice(*it);
            do {
                const char* other = choice.GetUTF8Text();
                const QString text = other ? QString::fromUtf8(other) : QString();
                if (text.size() == 1 && text != chosen &&
                    choice.Confidence() >= kMinAlternativeConfidence) {
                    alternatives += text;
                }
            } while (choice.Next());
            glyphs.append(RecognizedGlyph{chosen, QRect(left, top, right - left, bottom - top),
                                          it->IsAtBeginningOf(tesseract::RIL_WORD), alternatives});
        } while (it->Next(tesseract::RIL_SYMBOL));
    }
    m_api->Clear();
    if (!line.isEmpty()) {
        outcome.lines.append(RecognizedLine{line, grayscale.rect(), glyphs});
    }
    return outcome;
}
