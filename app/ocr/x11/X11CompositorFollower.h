#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

// Tells when a compositing manager arrives on or leaves the application's X screen (the owner of
// the _NET_WM_CM_Sn selection changes), from XFixes selection events on Qt's own connection, so
// a window whose look depends on it can follow at once. Does nothing off X11 or without XFixes.
// GUI thread only; `changed` is emitted from Qt's event dispatch.
class X11CompositorFollower final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit X11CompositorFollower(QObject* parent = nullptr);
    ~X11CompositorFollower() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

Q_SIGNALS:
    // The selection's owner changed; `running` is whether one owns it now.
    void changed(bool running);

private:
    quint32 m_selection = 0;  // the _NET_WM_CM_Sn atom, 0 when not following
    quint8 m_firstEvent = 0;  // XFixes' first event code on Qt's connection
};
