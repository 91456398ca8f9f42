#include "core/CommandRunner.h"
#include "settings/LoginItem.h"

#include <QDir>
#include <QFile>

#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

constexpr char kValidator[] = "/usr/bin/desktop-file-validate";

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

}  // namespace

TEST(LoginItemTest, ExecValueQuotesAndEscapesLikeTheDesktopEntryFormat) {
    struct Case {
        QStringList command;
        QString exec;
    };
    const Case cases[] = {
        {{QStringLiteral("/usr/bin/velarion")}, QStringLiteral("/usr/bin/velarion")},
        {{QStringLiteral("/opt/My Apps/velarion"), QStringLiteral("--tray")},
         QStringLiteral("\"/opt/My Apps/velarion\" --tray")},
        {{QStringLiteral("/opt/100%/velarion")}, QStringLiteral("/opt/100%%/velarion")},
        // Quoted: the quote, back-quote, dollar and backslash get a backslash, and then every
        // backslash is doubled by the string escaping of the value.
        {{QStringLiteral("/x/a$b\"c`d\\e")},
         QStringLiteral("\"/x/a\\\\$b\\\\\"c\\\\`d\\\\\\\\e\"")},
        {{QStringLiteral("/x/it's")}, QStringLiteral("\"/x/it's\"")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LoginItem::execValue(c.command), c.exec) << c.command.join(u' ').toStdString();
    }
}

TEST(LoginItemTest, RegisterWritesAValidEntryForTheRealCommand) {
    TempDir home;
    // The autostart folder does not exist yet on a fresh account.
    const QString folder = home.filePath(QStringLiteral("config/autostart"));
    const QString program = home.filePath(QStringLiteral("My $Apps/velarion"));
    LoginItem item(folder, {program});
    EXPECT_EQ(item.status(), LoginItem::Status::notRegistered);

    EXPECT_TRUE(item.registerItem().succeeded());
    EXPECT_EQ(item.filePath(), folder + QStringLiteral("/velarion.desktop"));
    EXPECT_EQ(item.status(), LoginItem::Status::enabled);
    QFile file(item.filePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("\nExec=") + LoginItem::execValue({program}) +
                              QLatin1Char('\n')));
    // No temporary file is left beside the entry.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("velarion.desktop")});

    if (!QFile::exists(QString::fromLatin1(kValidator))) {
        GTEST_SKIP() << "desktop-file-validate is not installed";
    }
    const CommandResult verdict =
        CommandRunner().run(QString::fromLatin1(kValidator), {item.filePath()});
    EXPECT_TRUE(verdict.succeeded())
        << (verdict.standardOutputText() + verdict.standardErrorText()).toStdString();
}

TEST(LoginItemTest, StatusFollowsTheEntryOnDiskAndUnregisterAcceptsOneAlreadyGone) {
    TempDir home;
    LoginItem item(home.path(), {QStringLiteral("/usr/bin/velarion")});
    ASSERT_TRUE(item.registerItem().succeeded());
    EXPECT_TRUE(item.unregisterItem().succeeded());
    EXPECT_FALSE(QFile::exists(item.filePath()));
    EXPECT_EQ(item.status(), LoginItem::Status::notRegistered);
    EXPECT_TRUE(item.unregisterItem().succeeded());

    writeFile(item.filePath(), "[Desktop Entry]\nType=Application\nExec=velarion\nHidden=true\n");
    EXPECT_EQ(item.status(), LoginItem::Status::disabled);
    writeFile(item.filePath(), "[Desktop Entry]\nExec=velarion\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_EQ(item.status(), LoginItem::Status::disabled);
    // Only the main group counts.
    writeFile(item.filePath(), "[Desktop Entry]\nExec=velarion\n[Desktop Action x]\nHidden=true\n");
    EXPECT_EQ(item.status(), LoginItem::Status::enabled);

    // Registering again replaces a hidden entry with an enabled one.
    writeFile(item.filePath(), "[Desktop Entry]\nExec=velarion\nHidden=true\n");
    EXPECT_TRUE(item.registerItem().succeeded());
    EXPECT_EQ(item.status(), LoginItem::Status::enabled);
}
