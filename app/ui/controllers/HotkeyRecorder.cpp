#include "ui/controllers/HotkeyRecorder.h"

#include "shields/hotkey/HotkeyManager.h"
#include "shields/hotkey/HotkeyRecording.h"

#include <QKeyEvent>

HotkeyRecorder::HotkeyRecorder(HotkeyManager& manager, QObject* eventSource, QObject* parent)
    : QObject(parent)
    , m_manager(manager)
    , m_eventSource(eventSource) {
    for (auto signal : {&HotkeyManager::keyCodeChanged, &HotkeyManager::modifiersChanged,
                        &HotkeyManager::keyLabelChanged}) {
        connect(&m_manager, signal, this, &HotkeyRecorder::combinationChanged);
        connect(&m_manager, signal, this, &HotkeyRecorder::statusChanged);
    }
    connect(&m_manager, &HotkeyManager::lastRegistrationOKChanged, this,
            &HotkeyRecorder::statusChanged);
}

HotkeyRecorder::~HotkeyRecorder() {
    stop();
}

QString HotkeyRecorder::displayString() const {
    return m_manager.displayString();
}

QString HotkeyRecorder::status() const {
    if (!m_manager.lastRegistrationOK()) {
        return QStringLiteral("failed");
    }
    if (HotkeyManager::systemShortcuts().contains(m_manager.combo())) {
        return QStringLiteral("reserved");
    }
    return QStringLiteral("ready");
}

void HotkeyRecorder::toggle() {
    if (m_recording) {
        stop();
    } else {
        start();
    }
}

void HotkeyRecorder::start() {
    if (m_recording || !m_eventSource) {
        return;
    }
    m_recording = true;
    m_eventSource->installEventFilter(this);
    m_manager.suspendGrab();
    Q_EMIT recordingChanged();
}

void HotkeyRecorder::stop() {
    if (!m_recording) {
        return;
    }
    finishRecording();
}

void HotkeyRecorder::finishRecording() {
    m_recording = false;
    if (m_eventSource) {
        m_eventSource->removeEventFilter(this);
    }
    m_manager.resumeGrab();
    Q_EMIT recordingChanged();
}

void HotkeyRecorder::reset() {
    stop();
    m_manager.update(HotkeyManager::kDefaultKeyCode, HotkeyManager::kDefaultModifiers,
                     QString::fromLatin1(HotkeyManager::kDefaultKeyLabel));
}

bool HotkeyRecorder::eventFilter(QObject* watched, QEvent* event) {
    if (!m_recording) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Accepted, so the press arrives as a key press instead of firing a shortcut; the
            // press itself is decided below.
            event->accept();
            return true;
        case QEvent::KeyPress:
            break;
        default:
            return QObject::eventFilter(watched, event);
    }
    const auto& key = static_cast<const QKeyEvent&>(*event);
    const HotkeyRecording::Decision decision = HotkeyRecording::decide(key);
    switch (decision.action) {
        case HotkeyRecording::Action::KeepRecording:
            break;
        case HotkeyRecording::Action::Cancel:
            finishRecording();
            break;
        case HotkeyRecording::Action::Record:
            // Stored and grabbed first, so the grab taken again on resuming is the new one.
            m_manager.update(decision.keyCode, decision.modifiers, decision.label);
            finishRecording();
            break;
    }
    return true;
}
