#include "shell/PopoverWindow.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

PopoverWindow::PopoverWindow(QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("popover"));
    setFixedWidth(kWidth);
    setMinimumHeight(120);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void PopoverWindow::setContent(QWidget* content) {
    if (m_content) {
        m_content->deleteLater();
    }
    m_content = content;
    layout()->addWidget(content);
}

void PopoverWindow::fitContentHeight(int height) {
    if (!m_content || height <= 0) {
        return;
    }
    const int bottom = geometry().bottom();
    m_content->setFixedHeight(height);
    adjustSize();
    if (isVisible() && m_above) {
        move(x(), bottom - this->height() + 1);
    }
}

void PopoverWindow::popUp(const QRect& anchor) {
    const QRect target = anchor.isValid() ? anchor : QRect(QCursor::pos(), QSize(1, 1));
    QScreen* screen = QGuiApplication::screenAt(target.center());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    adjustSize();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
    const QSize size = this->size();

    // Below an icon in the upper half of the screen, above one in the lower half.
    const bool below = target.center().y() < available.center().y();
    m_above = !below;
    int y = below ? target.bottom() + 4 : target.top() - size.height() - 4;
    int x = target.center().x() - size.width() / 2;
    x = std::clamp(x, available.left(),
                   std::max(available.left(), available.right() - size.width()));
    y = std::clamp(y, available.top(),
                   std::max(available.top(), available.bottom() - size.height()));
    move(x, y);
    show();
    raise();
    activateWindow();
}
