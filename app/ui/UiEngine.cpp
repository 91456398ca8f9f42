#include "ui/UiEngine.h"

#include "ui/LocalizedTexts.h"
#include "ui/ShadowImageProvider.h"
#include "ui/SymbolImageProvider.h"
#include "ui/controllers/ShellActions.h"

#include <QLoggingCategory>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWidget>
#include <QQuickWindow>

#include <mutex>

// Generated from the module's QML_ELEMENT classes. The module has no plugin, and nothing else
// would pull the registration out of the static library.
void qml_register_types_Velarion_Ui();

namespace {

Q_LOGGING_CATEGORY(lcUi, "com.orvandel.Velarion.UI")

constexpr char kOwnerProperty[] = "_velarionUiEngine";

}  // namespace

UiEngine::UiEngine(LocalizationManager& localization, ShellActions& shell, QObject* parent)
    : QObject(parent)
    , m_shell(shell)
    , m_texts(std::make_unique<LocalizedTexts>(localization))
    , m_engine(std::make_unique<QQmlEngine>()) {
    static std::once_flag registered;
    std::call_once(registered, [] {
        qml_register_types_Velarion_Ui();
        // Registered here rather than declared with the module's types: the controllers below the
        // module use ShellActions too, so it lives in their library.
        qmlRegisterSingletonType<ShellActions>(
            "Velarion.Ui", 1, 0, "Shell", [](QQmlEngine* engine, QJSEngine*) -> QObject* {
                ShellActions* shell = &UiEngine::of(*engine).shell();
                QJSEngine::setObjectOwnership(shell, QJSEngine::CppOwnership);
                return shell;
            });
        SymbolImageProvider::prepareIconThemes();
    });
    m_engine->setProperty(kOwnerProperty, QVariant::fromValue(static_cast<QObject*>(this)));
    m_engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
    m_engine->addImageProvider(QStringLiteral("symbol"), new SymbolImageProvider);
    m_engine->addImageProvider(QStringLiteral("shadow"), new ShadowImageProvider);
}

UiEngine::~UiEngine() = default;

void UiEngine::preferSoftwareRendering() {
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND")) {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    }
}

UiEngine& UiEngine::of(QQmlEngine& engine) {
    auto* owner = qobject_cast<UiEngine*>(engine.property(kOwnerProperty).value<QObject*>());
    Q_ASSERT(owner);
    return *owner;
}

QString UiEngine::viewUrl(const QString& viewName) {
    return QStringLiteral("qrc:/qt/qml/Velarion/Ui/%1.qml").arg(viewName);
}

QQuickWidget* UiEngine::createView(const QString& viewName, const QVariantMap& properties,
                                   QWidget* parent) {
    auto* view = new QQuickWidget(m_engine.get(), parent);
    view->setObjectName(viewName);
    view->setResizeMode(QQuickWidget::SizeRootObjectToView);
    // The component is made here rather than by setSource(): its root's required properties must
    // be set as it is created.
    const QUrl url(viewUrl(viewName));
    auto* component =
        new QQmlComponent(m_engine.get(), url, QQmlComponent::PreferSynchronous, view);
    QObject* root = component->isReady() ? component->createWithInitialProperties(
                                               properties, m_engine->rootContext())
                                         : nullptr;
    if (!root) {
        for (const QQmlError& error : component->errors()) {
            qCCritical(lcUi).noquote()
                << "View" << viewName << "failed to load:" << error.toString();
        }
        return view;
    }
    view->setContent(url, component, root);
    return view;
}
