// velarion-gallery [--language CODE]: shows every shared interface component in one window, in
// the given interface language (en, ar, zh-Hans, es, fr), so a person can look at the look as a
// whole. Links and window requests are printed instead of followed.

#include "core/UserDefaults.h"
#include "settings/AppLanguage.h"
#include "settings/LocalizationManager.h"
#include "ui/UiEngine.h"
#include "ui/controllers/ShellActions.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QQuickWidget>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

// Prints what a view asked for: the gallery has no shell behind it.
class PrintingShellActions final : public ShellActions {
public:
    void openWindow(const QString& identifier) override { print(u"open window", identifier); }
    void openUrl(const QUrl& url) override { print(u"open URL", url.toString()); }
    void bringToFront() override { print(u"bring to front", {}); }
    void quit() override { QApplication::quit(); }
    void relaunch() override { QApplication::quit(); }
    void openDesktopSettings(const QString& pane) override { print(u"open settings", pane); }

private:
    static void print(QStringView what, const QString& detail) {
        QTextStream(stdout) << what << ' ' << detail << Qt::endl;
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velarion-gallery"));
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption languageOption(QStringLiteral("language"),
                                            QStringLiteral("Interface language code."),
                                            QStringLiteral("code"), QStringLiteral("en"));
    parser.addOption(languageOption);
    parser.process(application);

    const std::optional<AppLanguage> language =
        AppLanguages::fromRawValue(parser.value(languageOption));
    if (!language) {
        QTextStream(stderr) << "Unknown language: " << parser.value(languageOption) << Qt::endl;
        return 2;
    }
    // A private store: looking at the gallery never changes the user's language.
    const QTemporaryDir storeDir;
    UserDefaults defaults(storeDir.filePath(QStringLiteral("gallery.conf")));
    LocalizationManager localization(defaults, {});
    localization.setLanguage(*language);
    QGuiApplication::setLayoutDirection(AppLanguages::layoutDirection(*language));

    UiEngine::preferSoftwareRendering();
    PrintingShellActions shell;
    UiEngine ui(localization, shell);
    QQuickWidget* view = ui.createView(QStringLiteral("Gallery"));
    view->setWindowTitle(QStringLiteral("Velarion components"));
    view->resize(view->initialSize().isValid() ? view->initialSize() : QSize(620, 640));
    view->show();
    return QApplication::exec();
}
