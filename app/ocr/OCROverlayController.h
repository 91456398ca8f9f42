#pragma once

#include "core/SensitiveRegion.h"
#include "core/WindowInfo.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

class OverlayView;
class X11CompositorFollower;

// Owns the mask overlay: a frameless, click-through window above every other window on the
// primary screen, on every desktop, never focused and in no window list or taskbar, covering the
// sensitive regions with dark rounded rectangles. Where no compositor shows translucency the
// window is shaped to the rectangles, so that it covers nothing else; a compositor arriving or
// leaving while the mask is up reshapes it at once (an unshaped window without a compositor
// is black all over).
//
// One window serves every `show` until `hide`, which releases it; the next `show` creates a new
// one. GUI thread only.
class OCROverlayController final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isShowing READ isShowing NOTIFY isShowingChanged)
    Q_PROPERTY(QWidget* window READ window NOTIFY windowChanged)

public:
    explicit OCROverlayController(QObject* parent = nullptr);
    ~OCROverlayController() override;

    bool isShowing() const { return m_isShowing; }
    QWidget* window() const { return m_window.get(); }
    // The overlay's X window id while it exists, to be left out of screen snapshots.
    std::optional<WindowId> windowId() const;
    // The view drawn in the window now, if any.
    OverlayView* contentView() const { return m_view; }

    // Masks `regions` (bounds in pixels of an image of imageWidth × imageHeight) scaled to the
    // primary screen, with black at `opacity`. Without a primary screen nothing happens.
    void show(const QList<SensitiveRegion>& regions, double imageWidth, double imageHeight,
              double opacity);
    void hide();

Q_SIGNALS:
    void isShowingChanged();
    // The window was created or released; windowId() tells the new id, if any.
    void windowChanged();

private:
    void createWindow(const QRect& screenGeometry);
    void applyShape(const QList<QRectF>& rects);
    void setShowing(bool showing);

    std::unique_ptr<X11CompositorFollower> m_compositor;  // lives while a window does
    std::unique_ptr<QWidget> m_window;
    OverlayView* m_view = nullptr;  // owned by m_window
    bool m_isShowing = false;
};
