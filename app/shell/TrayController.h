#pragma once

#include <QObject>
#include <QSystemTrayIcon>

#include <functional>

class PopoverWindow;
class QAction;
class QMenu;

// The tray item: a lock-shield icon labelled "Velarion". A click opens the popover at the icon;
// the context menu offers the main window and "Quit" for tray hosts that only show menus.
class TrayController final : public QObject {
    Q_OBJECT

public:
    using Translate = std::function<QString(const QString&)>;

    explicit TrayController(PopoverWindow& popover, QObject* parent = nullptr);
    ~TrayController() override;

    void show();
    bool isVisible() const;
    void setTranslator(Translate translate);
    void retranslate();

    QSystemTrayIcon& icon() { return m_icon; }

Q_SIGNALS:
    void openMainWindowRequested();
    void quitRequested();

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);

    PopoverWindow& m_popover;
    QSystemTrayIcon m_icon;
    QMenu* m_menu = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_quitAction = nullptr;
    Translate m_translate;
};
