#include "shell/MainWindow.h"

#include "core/AppInfo.h"
#include "shell/SceneIds.h"
#include "shell/WindowRegistry.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>

MainWindow::MainWindow(WindowRegistry& windows, UrlOpener openUrl, QWidget* parent)
    : QMainWindow(parent)
    , m_windows(windows)
    , m_openUrl(std::move(openUrl))
    , m_translate([](const QString& key) { return key; }) {
    setWindowTitle(QString::fromLatin1(AppInfo::kProductName));
    setMinimumSize(kMinimumSize);
    resize(kDefaultSize);
    setCentralWidget(new QWidget(this));
    buildHelpMenu();
    retranslate();
}

void MainWindow::buildHelpMenu() {
    m_helpMenu = menuBar()->addMenu(QString());

    m_help = m_helpMenu->addAction(QString());
    m_help->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Question));
    m_help->setShortcutContext(Qt::ApplicationShortcut);
    connect(m_help, &QAction::triggered, this, [this] { m_windows.open(SceneId::kHelp); });

    m_helpMenu->addSeparator();

    // The guide for enabling the camera lives in the help window, not the set-up window.
    m_enableCameraExtension = m_helpMenu->addAction(QString());
    connect(m_enableCameraExtension, &QAction::triggered, this,
            [this] { m_windows.open(SceneId::kHelp); });

    m_visitWebsite = m_helpMenu->addAction(QString());
    connect(m_visitWebsite, &QAction::triggered, this,
            [this] { m_openUrl(AppInfo::websiteUrl()); });

    m_emailSupport = m_helpMenu->addAction(QString());
    connect(m_emailSupport, &QAction::triggered, this,
            [this] { m_openUrl(AppInfo::supportMailUrl()); });
}

void MainWindow::setTranslator(Translate translate) {
    m_translate = std::move(translate);
    retranslate();
}

void MainWindow::bringToFront() {
    show();
    raise();
    activateWindow();
}

void MainWindow::retranslate() {
    m_helpMenu->setTitle(m_translate(QStringLiteral("Help")));
    m_help->setText(m_translate(QStringLiteral("Velarion Help")));
    // The table holds the guide's title; the menu adds the ellipsis of a command that opens a
    // window.
    m_enableCameraExtension->setText(m_translate(QStringLiteral("Enable the Camera Extension")) +
                                     QStringLiteral("…"));
    m_visitWebsite->setText(m_translate(AppInfo::visitWebsiteTitle()));
    m_emailSupport->setText(m_translate(QStringLiteral("Email Support")));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    hide();
    event->ignore();
    Q_EMIT closed();
}
