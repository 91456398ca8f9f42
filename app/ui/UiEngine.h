#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <memory>

class LocalizationManager;
class LocalizedTexts;
class QQmlEngine;
class QQuickWidget;
class QWidget;
class ShellActions;

// The one QML engine that every window's view shares: the module's types, the symbol and shadow
// image providers, the interface texts and the shell's actions. Views are created from it by
// name and hosted in QQuickWidgets, so a language change reaches every open view at once.
// GUI thread only; it must outlive every view it created.
class UiEngine final : public QObject {
    Q_OBJECT

public:
    UiEngine(LocalizationManager& localization, ShellActions& shell, QObject* parent = nullptr);
    ~UiEngine() override;

    // Picks the software scene graph unless QT_QUICK_BACKEND names another: these are small
    // windows, and it needs no GPU, starts faster and takes far less memory than OpenGL through
    // a software rasterizer. Call before the first view is created.
    static void preferSoftwareRendering();

    // The UiEngine that owns `engine`; only engines made by a UiEngine may be passed.
    static UiEngine& of(QQmlEngine& engine);

    QQmlEngine& engine() { return *m_engine; }
    LocalizedTexts& texts() { return *m_texts; }
    ShellActions& shell() { return m_shell; }

    // A widget showing the module's view `viewName` (the file name without ".qml"), with
    // `properties` given to its root as initial (required) properties. The widget resizes its root
    // to itself; the caller owns it. Loading errors are logged and leave the widget empty.
    QQuickWidget* createView(const QString& viewName, const QVariantMap& properties = {},
                             QWidget* parent = nullptr);

    static QString viewUrl(const QString& viewName);

private:
    ShellActions& m_shell;
    std::unique_ptr<LocalizedTexts> m_texts;
    std::unique_ptr<QQmlEngine> m_engine;
};
