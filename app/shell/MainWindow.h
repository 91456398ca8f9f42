#pragma once

#include <QMainWindow>
#include <QUrl>

#include <functional>

class QAction;
class WindowRegistry;

// The application's main window: it hosts the dashboard and carries the Help menu. Closing it
// leaves the application running in the tray.
class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    using UrlOpener = std::function<void(const QUrl&)>;
    using Translate = std::function<QString(const QString&)>;

    static constexpr QSize kDefaultSize{880, 640};
    static constexpr QSize kMinimumSize{820, 600};

    MainWindow(WindowRegistry& windows, UrlOpener openUrl, QWidget* parent = nullptr);

    // Sets the menu texts through `translate` now and after every later call to retranslate().
    void setTranslator(Translate translate);
    void retranslate();
    // Shows, raises and activates the window.
    void bringToFront();

    QAction* helpAction() const { return m_help; }
    QAction* enableCameraExtensionAction() const { return m_enableCameraExtension; }
    QAction* visitWebsiteAction() const { return m_visitWebsite; }
    QAction* emailSupportAction() const { return m_emailSupport; }

Q_SIGNALS:
    // Emitted when the user closes the window (it is hidden, not destroyed).
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildHelpMenu();

    WindowRegistry& m_windows;
    UrlOpener m_openUrl;
    Translate m_translate;
    QMenu* m_helpMenu = nullptr;
    QAction* m_help = nullptr;
    QAction* m_enableCameraExtension = nullptr;
    QAction* m_visitWebsite = nullptr;
    QAction* m_emailSupport = nullptr;
};
