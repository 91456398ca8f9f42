#pragma once

#include "FakeCaptureBackend.h"

#include "capture/ScreenManager.h"
#include "core/AppState.h"
#include "core/UserDefaults.h"
#include "ocr/EnginePool.h"
#include "ocr/OCROverlayController.h"
#include "ocr/PrivacyProtector.h"
#include "ocr/TextImage.h"
#include "ocr/TextRecognitionEngine.h"
#include "settings/MaskSettings.h"
#include "support/TempDir.h"
#include "ui/controllers/MaskScanner.h"

#include <QTest>

#include <atomic>
#include <memory>
#include <mutex>

// Stands in for Tesseract: every area of the screenshot reads as the text the test chose.
class ScriptedEngine final : public TextRecognitionEngine {
public:
    explicit ScriptedEngine(std::shared_ptr<std::atomic<int>> reads, QString text)
        : m_reads(std::move(reads))
        , m_text(std::move(text)) {}

    RecognitionOutcome recognize(const QImage& grayscale) override { return read(grayscale); }
    RecognitionOutcome recognizeLine(const QImage& grayscale) override { return read(grayscale); }

private:
    RecognitionOutcome read(const QImage& grayscale) {
        ++*m_reads;
        return {{RecognizedLine{m_text, grayscale.rect()}}, {}};
    }

    std::shared_ptr<std::atomic<int>> m_reads;
    QString m_text;
};

// The real snapshot, detector, state, overlay and settings, over a stand-in display server and
// a scripted recognition engine.
class MaskScanTestbed {
public:
    explicit MaskScanTestbed(const QString& screenText = QStringLiteral("anna.berg@example.com")) {
        backend->content.displays = {ShareableDisplay{1, 600, 100, 1, QRect(0, 0, 600, 100)}};
        backend->image = TextImage::blank(1200, 200);
        TextImage::draw(backend->image, QStringLiteral("write to anna.berg@example.com"),
                        QPoint(40, 60), TextImage::sans());
        recognisedText = screenText;
    }

    // Runs the event loop until the future ends; false after 20 s.
    template <typename T>
    static bool finishes(const QFuture<T>& future) {
        return QTest::qWaitFor([&] { return future.isFinished(); }, 20'000);
    }

    static SensitiveRegion someRegion() {
        return {QUuid::createUuid(), QRectF(10, 10, 100, 20), SensitiveDataKind::email,
                QStringLiteral("x@y.zz")};
    }

    QString recognisedText;
    std::shared_ptr<std::atomic<int>> engineReads = std::make_shared<std::atomic<int>>(0);
    EnginePool engines{1, [this] {
                           return EngineModule::Creation{
                               std::make_unique<ScriptedEngine>(engineReads, recognisedText), {}};
                       }};
    std::shared_ptr<FakeCaptureBackend> backend = std::make_shared<FakeCaptureBackend>();
    ScreenManager screenManager{backend};
    PrivacyProtector privacyProtector{engines};
    AppState appState;
    OCROverlayController overlay;
    TempDir dir;
    UserDefaults defaults{dir.filePath(QStringLiteral("Velarion.conf"))};
    MaskSettings settings{defaults};
    MaskScanner scanner{screenManager, privacyProtector, appState, overlay, settings};
};
