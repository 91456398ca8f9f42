#include "shell/WindowRegistry.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QStyle>

namespace {

void centreOnScreen(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    window->adjustSize();
    window->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window->size(),
                                            screen->availableGeometry()));
}

}  // namespace

WindowRegistry::WindowRegistry(QObject* parent)
    : QObject(parent)
    , m_translate([](const QString& key) { return key; }) {}

WindowRegistry::~WindowRegistry() {
    for (Entry& entry : m_entries) {
        delete entry.window;
    }
}

void WindowRegistry::registerWindow(const QString& identifier, const QString& titleKey,
                                    Factory factory) {
    if (!m_entries.contains(identifier)) {
        m_order.append(identifier);
    }
    Entry& entry = m_entries[identifier];
    entry.titleKey = titleKey;
    entry.factory = std::move(factory);
    if (entry.window) {
        entry.window->setWindowTitle(title(entry));
    }
}

QWidget* WindowRegistry::open(const QString& identifier) {
    auto it = m_entries.find(identifier);
    if (it == m_entries.end()) {
        return nullptr;
    }
    QWidget* window = it->window;
    if (!window) {
        window = create(identifier, *it);
        centreOnScreen(window);
    }
    window->show();
    window->raise();
    window->activateWindow();
    Q_EMIT windowOpened(identifier);
    return window;
}

QWidget* WindowRegistry::window(const QString& identifier) const {
    const auto it = m_entries.constFind(identifier);
    return it == m_entries.cend() ? nullptr : it->window.data();
}

void WindowRegistry::setTranslator(Translate translate) {
    m_translate = std::move(translate);
    retranslate();
}

void WindowRegistry::retranslate() {
    for (Entry& entry : m_entries) {
        if (entry.window) {
            entry.window->setWindowTitle(title(entry));
        }
    }
}

QWidget* WindowRegistry::create(const QString& identifier, Entry& entry) {
    QWidget* window = entry.factory ? entry.factory() : nullptr;
    if (!window) {
        window = new QWidget;
    }
    window->setParent(nullptr);
    window->setWindowFlag(Qt::Window, true);
    window->setObjectName(identifier);
    window->setWindowTitle(title(entry));
    // Sized to its content: the user cannot stretch it beyond what the content allows.
    if (QLayout* layout = window->layout()) {
        layout->setSizeConstraint(QLayout::SetFixedSize);
    }
    entry.window = window;
    return window;
}

QString WindowRegistry::title(const Entry& entry) const {
    return m_translate(entry.titleKey);
}
