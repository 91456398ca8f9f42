#include "ui/ViewWindow.h"

#include <QQuickItem>
#include <QQuickWidget>

namespace ViewWindow {

QWidget* fitToContent(QQuickWidget* view) {
    QQuickItem* root = view->rootObject();
    if (!root) {
        return view;
    }
    const auto fit = [view, root] {
        view->setFixedSize(qRound(root->implicitWidth()), qRound(root->implicitHeight()));
    };
    fit();
    QObject::connect(root, &QQuickItem::implicitWidthChanged, view, fit);
    QObject::connect(root, &QQuickItem::implicitHeightChanged, view, fit);
    if (root->metaObject()->indexOfSignal("dismissRequested()") >= 0) {
        QObject::connect(root, SIGNAL(dismissRequested()), view, SLOT(close()));
    }
    return view;
}

}  // namespace ViewWindow
