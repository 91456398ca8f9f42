#pragma once

#include "capture/CaptureBackend.h"
#include "capture/PixelBuffer.h"
#include "capture/ShareableContent.h"
#include "capture/StreamHandler.h"
#include "core/WindowInfo.h"

#include <QFuture>
#include <QImage>
#include <QList>
#include <QObject>
#include <QThreadPool>

#include <memory>
#include <optional>

class CaptureRelay;

// The application's one door to screen capture: lists the windows the user may hide, runs the
// live capture of the first display with the chosen windows' applications left out (frames go,
// on the capture thread, to `virtualCameraService`), and takes stills for the text scanner.
//
// Lives on the GUI thread; its state is read and written there only. Every operation returns at
// once: the display-server work runs on one backend thread, state changes come back on the GUI
// thread, and failures reach the caller as a CaptureError in the returned future.
class ScreenManager final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isCapturing READ isCapturing NOTIFY isCapturingChanged)
    Q_PROPERTY(QList<WindowInfo> windowInfos READ windowInfos NOTIFY availableWindowsChanged)

public:
    explicit ScreenManager(std::shared_ptr<CaptureBackend> backend, QObject* parent = nullptr);
    // Stops a running stream and waits for the backend thread.
    ~ScreenManager() override;

    const QList<ShareableWindow>& availableWindows() const { return m_availableWindows; }
    bool isCapturing() const { return m_isCapturing; }
    const CaptureStream* stream() const { return m_stream.get(); }
    const StreamHandler* streamHandler() const { return m_streamHandler.get(); }

    // `availableWindows` as records, in the same order.
    QList<WindowInfo> windowInfos() const;

    PixelBufferSink* virtualCameraService() const;
    // Once this returns, no frame is being or will be handed to the previous sink.
    void setVirtualCameraService(PixelBufferSink* service);

    // This process's own windows that stills leave out (the text mask's overlay), so the mask never
    // hides the text it covers from the next scan.
    void setSnapshotExcludedWindows(const WindowIdSet& windowIDs);

    QFuture<void> refreshAvailableWindows();
    QFuture<void> startStealthSession(const WindowIdSet& excludingWindowIDs);
    // Never fails.
    QFuture<void> stopCapture();
    // No image when the server lists no display.
    QFuture<std::optional<QImage>> captureScreenSnapshot();
    QFuture<void> startCapture(const ContentFilter& filter,
                               const StreamConfiguration& configuration);

    // Frames of the display's native pixel size (never upsampled), at most 30 a second, cursor
    // drawn, at most 4 frames held.
    static StreamConfiguration makeStreamConfiguration(const ShareableDisplay& display);
    // A still at twice the display's size in points: text recognition needs large glyphs.
    static StreamConfiguration makeSnapshotConfiguration(const ShareableDisplay& display);

Q_SIGNALS:
    void isCapturingChanged();
    void availableWindowsChanged();

private:
    friend class CaptureRelay;

    void setCapturing(bool capturing);
    void setAvailableWindows(const QList<ShareableWindow>& windows);
    void storeStream(std::shared_ptr<CaptureStream> stream, std::shared_ptr<StreamHandler> handler);
    void streamStoppedBySystem(const CaptureStream* stream);

    std::shared_ptr<CaptureBackend> m_backend;
    // One thread, so the backend is never used from two threads at once.
    QThreadPool m_backendThread;
    std::shared_ptr<CaptureRelay> m_relay;

    QList<ShareableWindow> m_availableWindows;
    bool m_isCapturing = false;
    std::shared_ptr<StreamHandler> m_streamHandler;
    std::shared_ptr<CaptureStream> m_stream;
    WindowIdSet m_snapshotExcludedWindows;
};
