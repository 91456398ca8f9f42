#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class HotkeyManager;

// The panic-hotkey row's recorder: one per settings view. While recording it filters every event
// of `eventSource` (the application, so the keys of all its windows): each key press and shortcut
// override is swallowed and decided by HotkeyRecording, so no menu shortcut fires; Escape alone
// cancels, a combination with Ctrl, Alt or Super is stored through the manager and ends the
// recording. The manager's global grab is suspended while recording, so pressing the current
// combination records it instead of running the panic action.
//
// GUI thread only. `manager` must outlive this object; recording stops at destruction.
class HotkeyRecorder final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool recording READ recording NOTIFY recordingChanged)
    // The combination as the row shows it ("Ctrl+Alt+Super+H").
    Q_PROPERTY(QString displayString READ displayString NOTIFY combinationChanged)
    // The one status line: "failed" (registration refused) before "reserved" (a combination the
    // desktop commonly keeps) before "ready".
    Q_PROPERTY(QString status READ status NOTIFY statusChanged)

public:
    HotkeyRecorder(HotkeyManager& manager, QObject* eventSource, QObject* parent = nullptr);
    ~HotkeyRecorder() override;

    bool recording() const { return m_recording; }
    QString displayString() const;
    QString status() const;

    // The row's button: starts recording, or stops it when already recording.
    Q_INVOKABLE void toggle();
    Q_INVOKABLE void start();
    // Ends recording without changing the combination; nothing happens when not recording.
    Q_INVOKABLE void stop();
    // Stores and grabs the default combination (ending any recording first).
    Q_INVOKABLE void reset();

Q_SIGNALS:
    void recordingChanged();
    void combinationChanged();
    void statusChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void finishRecording();

    HotkeyManager& m_manager;
    QPointer<QObject> m_eventSource;
    bool m_recording = false;
};
