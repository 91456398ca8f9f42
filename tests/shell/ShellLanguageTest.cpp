#include "settings/TranslationTable.h"
#include "shell/MainWindow.h"
#include "shell/PopoverWindow.h"
#include "shell/SceneIds.h"
#include "shell/TrayController.h"
#include "shell/VelarionApp.h"
#include "shell/WindowRegistry.h"

#include <QSet>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

// A key the shell shows that the table lacks would stay English in every other language.
TEST(ShellLanguageTest, EveryTextTheShellShowsHasATranslation) {
    QSet<QString> asked;
    const auto record = [&asked](const QString& key) {
        asked.insert(key);
        return key;
    };
    VelarionApp app;
    app.mainWindow().setTranslator(record);
    app.windows().setTranslator(record);
    for (const char* scene : {SceneId::kSettings, SceneId::kHelp, SceneId::kUpdate,
                              SceneId::kCameraSetup, SceneId::kBroadcast}) {
        ASSERT_NE(app.windows().open(QString::fromLatin1(scene)), nullptr) << scene;
    }
    app.windows().retranslate();
    PopoverWindow popover;
    TrayController tray(popover);
    tray.setTranslator(record);

    // At least the five window titles, the help menu's title and entries, and the tray's two.
    EXPECT_GE(asked.size(), 11);
    const TranslationTable& table = TranslationTable::instance();
    for (const QString& key : asked) {
        EXPECT_NE(table.find(key, AppLanguage::french), nullptr) << key.toStdString();
    }
}
