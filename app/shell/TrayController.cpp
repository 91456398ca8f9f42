#include "shell/TrayController.h"

#include "core/AppInfo.h"
#include "shell/LockShieldIcon.h"
#include "shell/PopoverWindow.h"

#include <QMenu>

TrayController::TrayController(PopoverWindow& popover, QObject* parent)
    : QObject(parent)
    , m_popover(popover)
    , m_menu(new QMenu)
    , m_translate([](const QString& key) { return key; }) {
    // A saturated shield with a white lock reads on both dark and light panels.
    m_icon.setIcon(LockShieldIcon::make(QColor(0x2f, 0x6b, 0xff), Qt::white));
    m_openAction = m_menu->addAction(QString(), this, &TrayController::openMainWindowRequested);
    m_menu->addSeparator();
    m_quitAction = m_menu->addAction(QString(), this, &TrayController::quitRequested);
    m_icon.setContextMenu(m_menu);
    connect(&m_icon, &QSystemTrayIcon::activated, this, &TrayController::onActivated);
    retranslate();
}

TrayController::~TrayController() {
    m_icon.hide();
    delete m_menu;
}

void TrayController::show() {
    m_icon.show();
}

bool TrayController::isVisible() const {
    return m_icon.isVisible();
}

void TrayController::setTranslator(Translate translate) {
    m_translate = std::move(translate);
    retranslate();
}

void TrayController::retranslate() {
    m_icon.setToolTip(QString::fromLatin1(AppInfo::kProductName));
    m_openAction->setText(m_translate(QStringLiteral("Open Velarion")));
    m_quitAction->setText(m_translate(QStringLiteral("Quit")));
}

void TrayController::onActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::DoubleClick) {
        return;
    }
    if (m_popover.isVisible()) {
        m_popover.hide();
        return;
    }
    m_popover.popUp(m_icon.geometry());
}
