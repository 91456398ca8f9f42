#pragma once

#include "RecordingShell.h"

#include "core/UserDefaults.h"
#include "settings/LocalizationManager.h"
#include "ui/UiEngine.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class QQmlComponent;

// QML of the interface module, loaded offscreen into a real window over the software scene graph,
// with its own language store, so tests can click items and read what is shown.
class QmlHost {
public:
    explicit QmlHost(QSize windowSize = {400, 300});
    ~QmlHost();

    LocalizationManager& localization() { return *m_localization; }
    UserDefaults& defaults() { return *m_defaults; }
    UiEngine& ui() { return *m_ui; }
    RecordingShellActions& shell() { return m_shell; }
    QQuickWindow& window() { return *m_window; }

    // Creates `qml` (a document importing QtQuick and Velarion.Ui) as the window's content;
    // nullptr with the errors printed when it does not load. The window is shown and exposed.
    // `properties` are the initial (required) properties of the document's root.
    QQuickItem* load(const QByteArray& qml, const QVariantMap& properties = {});
    // A module view by name, with its initial properties.
    QQuickItem* loadView(const QString& viewName, const QVariantMap& properties = {});

    // The first item below the content whose objectName is `name`, in the object tree or, for
    // items a Repeater made, the item tree.
    QQuickItem* find(const QString& name) const;
    // Whether the item `find` gives for `name` is visible; a missing item fails the test, so that
    // a renamed item cannot pass for a hidden one.
    bool shown(const char* name) const;
    // The text that item shows now; empty, and a failure, when it is missing.
    QString text(const char* name) const;
    // Destroys the loaded content, before the objects its bindings refer to go.
    void unload();
    static QQuickItem* findIn(QQuickItem* item, const QString& name);
    // Clicks the centre of `item` with the left button.
    void click(QQuickItem* item);

private:
    QQuickItem* create(QQmlComponent& component, const QVariantMap& properties);

    QTemporaryDir m_dir;
    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<LocalizationManager> m_localization;
    RecordingShellActions m_shell;
    std::unique_ptr<UiEngine> m_ui;
    std::unique_ptr<QQuickWindow> m_window;
    QQuickItem* m_root = nullptr;
};

// The text a Text item shows now.
inline QString textOf(QQuickItem* item) {
    return item ? item->property("text").toString() : QString();
}
