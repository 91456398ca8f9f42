#include "QmlHost.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QTest>

#include <gtest/gtest.h>

QmlHost::QmlHost(QSize windowSize)
    : m_defaults(std::make_unique<UserDefaults>(m_dir.filePath(QStringLiteral("test.conf"))))
    , m_localization(std::make_unique<LocalizationManager>(*m_defaults, QStringList{})) {
    UiEngine::preferSoftwareRendering();
    m_ui = std::make_unique<UiEngine>(*m_localization, m_shell);
    m_window = std::make_unique<QQuickWindow>();
    m_window->resize(windowSize);
    m_window->setColor(Qt::white);
}

QmlHost::~QmlHost() {
    // Hidden first, so the scene graph releases its textures before the window goes.
    m_window->hide();
    delete m_root;
    m_window.reset();
}

QQuickItem* QmlHost::load(const QByteArray& qml, const QVariantMap& properties) {
    QQmlComponent component(&m_ui->engine());
    component.setData(qml, QUrl(QStringLiteral("qrc:/test/Host.qml")));
    return create(component, properties);
}

QQuickItem* QmlHost::loadView(const QString& viewName, const QVariantMap& properties) {
    QQmlComponent component(&m_ui->engine(), QUrl(UiEngine::viewUrl(viewName)));
    return create(component, properties);
}

QQuickItem* QmlHost::create(QQmlComponent& component, const QVariantMap& properties) {
    // Qt 6.4 crashes creating a component with errors when initial properties are given.
    if (!component.isReady()) {
        ADD_FAILURE() << component.errorString().toStdString();
        return nullptr;
    }
    QObject* object = component.createWithInitialProperties(properties);
    if (!object) {
        ADD_FAILURE() << component.errorString().toStdString();
        return nullptr;
    }
    m_root = qobject_cast<QQuickItem*>(object);
    if (!m_root) {
        ADD_FAILURE() << "the document's root is not an item";
        delete object;
        return nullptr;
    }
    m_root->setParentItem(m_window->contentItem());
    m_root->setSize(m_window->size());
    m_window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    return m_root;
}

void QmlHost::unload() {
    delete m_root;
    m_root = nullptr;
}

QQuickItem* QmlHost::find(const QString& name) const {
    if (!m_root) {
        return nullptr;
    }
    return findIn(m_root, name);
}

bool QmlHost::shown(const char* name) const {
    QQuickItem* item = find(QString::fromLatin1(name));
    EXPECT_NE(item, nullptr) << name;
    return item && item->isVisible();
}

QString QmlHost::text(const char* name) const {
    QQuickItem* item = find(QString::fromLatin1(name));
    EXPECT_NE(item, nullptr) << name;
    return textOf(item);
}

QQuickItem* QmlHost::findIn(QQuickItem* item, const QString& name) {
    if (item->objectName() == name) {
        return item;
    }
    if (auto* child = item->findChild<QQuickItem*>(name)) {
        return child;
    }
    // A Repeater's delegates are children in the item tree only.
    for (QQuickItem* child : item->childItems()) {
        if (QQuickItem* found = findIn(child, name)) {
            return found;
        }
    }
    return nullptr;
}

void QmlHost::click(QQuickItem* item) {
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(m_window.get(), Qt::LeftButton, Qt::NoModifier, centre.toPoint());
}
