#include "ocr/OCROverlayController.h"

#include "ocr/OverlayGeometry.h"
#include "ocr/OverlayView.h"
#include "ocr/x11/X11Compositor.h"
#include "ocr/x11/X11CompositorFollower.h"

#include <QGuiApplication>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// Not a single pixel of the window is visible through this shape: an empty QRegion would mean
// "no shape" and make the whole window cover the screen.
const QRect kNothingVisible(-1, -1, 1, 1);

}  // namespace

OCROverlayController::OCROverlayController(QObject* parent)
    : QObject(parent) {}

OCROverlayController::~OCROverlayController() = default;

std::optional<WindowId> OCROverlayController::windowId() const {
    if (!m_window) {
        return std::nullopt;
    }
    return static_cast<WindowId>(m_window->winId());
}

void OCROverlayController::show(const QList<SensitiveRegion>& regions, double imageWidth,
                                double imageHeight, double opacity) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect screenGeometry = screen->geometry();
    const QList<QRectF> rects =
        OverlayGeometry::maskRects(regions, screenGeometry.size(), imageWidth, imageHeight);

    const bool created = !m_window;
    if (created) {
        createWindow(screenGeometry);
    }
    // A new view for every show; the previous one goes with its rectangles.
    delete m_view;
    m_view = new OverlayView(rects, opacity, m_window.get());
    m_window->layout()->addWidget(m_view);
    applyShape(rects);

    m_window->show();
    m_window->raise();
    m_view->update();
    if (created) {
        Q_EMIT windowChanged();
    }
    setShowing(true);
}

void OCROverlayController::hide() {
    if (m_window) {
        m_window->hide();
        m_view = nullptr;
        m_window.reset();
        m_compositor.reset();
        Q_EMIT windowChanged();
    }
    setShowing(false);
}

void OCROverlayController::createWindow(const QRect& screenGeometry) {
    // Followed before the window is shaped, so no change can fall between the two.
    m_compositor = std::make_unique<X11CompositorFollower>();
    connect(m_compositor.get(), &X11CompositorFollower::changed, this, [this] {
        if (m_window && m_view) {
            applyShape(m_view->rects());
        }
    });
    // Bypassing the window manager keeps the overlay out of the window lists, the taskbar and the
    // focus cycle, and puts it on every desktop; no input shape lets every click through.
    m_window = std::make_unique<QWidget>(
        nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                     Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput |
                     Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint);
    m_window->setObjectName(QStringLiteral("VelarionMaskOverlay"));
    m_window->setWindowTitle(QStringLiteral("Velarion Mask"));
    m_window->setAttribute(Qt::WA_TranslucentBackground);
    m_window->setAttribute(Qt::WA_ShowWithoutActivating);
    m_window->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_window->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(m_window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_window->setGeometry(screenGeometry);
    // Creates the native window now, so that its id is known before it is first shown.
    m_window->winId();
}

void OCROverlayController::applyShape(const QList<QRectF>& rects) {
    if (X11Compositor::isRunning().value_or(true)) {
        m_window->clearMask();
        return;
    }
    QRegion shape;
    for (const QRectF& r : rects) {
        QPainterPath path;
        path.addRoundedRect(r, OverlayGeometry::kCornerRadius, OverlayGeometry::kCornerRadius);
        shape += QRegion(path.toFillPolygon().toPolygon());
    }
    m_window->setMask(shape.isEmpty() ? QRegion(kNothingVisible) : shape);
}

void OCROverlayController::setShowing(bool showing) {
    if (m_isShowing != showing) {
        m_isShowing = showing;
        Q_EMIT isShowingChanged();
    }
}
