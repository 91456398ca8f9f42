#pragma once

class QQuickWidget;
class QWidget;

namespace ViewWindow {

// Makes a view widget the whole content of its window: fixed to its root's implicit size and
// following it when the content changes size (the update window between its two heights); a
// root's dismissRequested() signal, where it has one, closes (hides) the window. Returns `view`.
QWidget* fitToContent(QQuickWidget* view);

}  // namespace ViewWindow
