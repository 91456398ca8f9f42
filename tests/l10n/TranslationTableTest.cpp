#include "core/AppInfo.h"
#include "settings/AppLanguage.h"
#include "settings/TranslationTable.h"

#include <QRegularExpression>
#include <QSet>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace {

// The interface texts in the order the table must list them, written out independently of the
// table so that a dropped, reordered or retyped key shows up here.
// clang-format off
const char16_t* const kExpectedKeys[] = {
    u"Settings",
    u"Preferences and privacy options",
    u"General",
    u"Language",
    u"Choose your preferred language",
    u"Launch at login",
    u"Open Velarion automatically when you sign in",
    u"Window blur",
    u"Blur intensity",
    u"Strength of the mask over sensitive windows",
    u"OCR privacy mask",
    u"Scan interval",
    u"How often the screen is re-scanned for sensitive text",
    u"Detected patterns",
    u"Panic hotkey",
    u"Hide everything",
    u"Press this anywhere to hide (then reveal) your Stealth windows",
    u"Shortcut:",
    u"Reset",
    u"Press keys…",
    u"This shortcut couldn't be registered — another app is already using it. Try a different combo.",
    u"This is a macOS system shortcut, so it may not trigger reliably. A less common combo is safer.",
    u"Ready and not used by another app.",
    u"About",
    u"Version",
    u"Software update",
    u"Check whether a newer version is available",
    u"Checking…",
    u"You're on the latest version",
    u"Couldn't check for updates. Try again",
    u"Version %@ is available to download",
    u"Check now",
    u"Download",
    u"All processing happens on-device. Nothing leaves your Mac.",
    u"Desktop Shield",
    u"Hide desktop icons",
    u"Notification Guard",
    u"Enable Do Not Disturb",
    u"Broadcast Camera",
    u"Share your screen, hide chosen windows",
    u"Privacy Mask (OCR)",
    u"Detect & blur sensitive data",
    u"Quit",
    u"Help & guides",
    u"Dashboard",
    u"Protection modules",
    u"%d active",
    u"All processing happens on-device. Nothing ever leaves your Mac.",
    u"You're protected",
    u"Ready to present",
    u"%d of %d privacy shields are active.",
    u"Turn on Presentation Mode before you share your screen.",
    u"Stop presenting",
    u"Start presenting",
    u"On",
    u"Hide desktop icons during presentations",
    u"Silence notifications with Do Not Disturb",
    u"Detect and blur sensitive on-screen data",
    u"Instantly hides all desktop icons, files, and folders so your audience only sees a clean wallpaper. Perfect for screen sharing during meetings and presentations. Uses a native macOS Finder toggle — icons reappear automatically when you turn it off.",
    u"Activates Do Not Disturb mode to suppress banners, badges, and sounds. Prevents private messages, email previews, and calendar alerts from popping up while you're sharing your screen.",
    u"Scans your screen using the Apple Vision framework to find sensitive text — emails, credit card numbers, phone numbers, and SSNs. Identified regions are highlighted so you can blur them before sharing. All processing is 100% on-device.",
    u"Toggles the Finder's \"CreateDesktop\" preference",
    u"Restarts Finder to apply changes instantly",
    u"Icons are restored when you toggle off or quit the app",
    u"Activates macOS Do Not Disturb / Focus mode",
    u"Suppresses all notification banners and sounds",
    u"Automatically restores your previous state on toggle off",
    u"Captures a screen snapshot via ScreenCaptureKit",
    u"Runs VNRecognizeTextRequest (Vision) for on-device OCR",
    u"Matches text against email, credit card, phone, and SSN patterns",
    u"Highlights detected regions for you to review and blur",
    u"How it works",
    u"Scanning…",
    u"%d sensitive region(s) found",
    u"Scan Now",
    u"Could not capture screen",
    u"Masking %d sensitive region(s)",
    u"Scan failed: %@",
    u"Close",
    u"Set Up the Virtual Camera",
    u"Two quick macOS permissions and you're broadcasting.",
    u"Allow Screen Recording",
    u"Velarion captures the window you choose and sends it to the camera. macOS needs Screen Recording permission for this.",
    u"Screen Recording is on.",
    u"In the window that opened, switch Velarion ON under Screen & System Audio Recording. If no window appeared, open it here. Then quit and reopen Velarion to apply it.",
    u"Open Screen Recording Settings",
    u"Quit & Reopen Velarion",
    u"Grant Screen Recording",
    u"Enable the Camera Extension",
    u"This is the system extension that makes “Velarion” show up as a camera inside Zoom, Meet, Teams and FaceTime.",
    u"Camera Extension is active.",
    u"Requesting… approve the macOS prompt if it appears.",
    u"Now switch it on in Settings:\nGeneral ▸ Login Items & Extensions ▸ scroll to Extensions ▸ click ⓘ next to Camera Extensions ▸ toggle Velarion ON.",
    u"Open Login Items & Extensions",
    u"Try Again",
    u"Enable Camera Extension",
    u"Finish step 1 first.",
    u"You're all set! Turn on Broadcast Camera and pick a window to share.",
    u"Done",
    u"Help Center",
    u"Guides for getting the most out of Velarion.",
    u"Required for Broadcast Camera to appear in Zoom, Meet, Teams, etc.",
    u"Open **System Settings**.",
    u"Go to **General ▸ Login Items & Extensions**.",
    u"Scroll to the **Extensions** section.",
    u"Next to **Camera Extensions**, click the **ⓘ** (info) button.",
    u"Toggle **Velarion** **ON**, then confirm with Touch ID or your password.",
    u"Open System Settings",
    u"If Velarion isn't listed yet, turn on Broadcast Camera once so macOS registers the extension, then come back here.",
    u"“Velarion” camera doesn't appear",
    u"The virtual camera is missing from the camera list.",
    u"Make sure the **Camera Extension is enabled** (see the guide above).",
    u"**Fully quit and reopen** your meeting app — camera lists are only read at launch.",
    u"Pick a window to broadcast in Velarion before joining the call.",
    u"In your meeting app's video settings, select **Velarion** as the camera.",
    u"Hide windows from a screen share (Stealth Mode)",
    u"Keep chosen windows invisible to whoever you're sharing with.",
    u"Open the Velarion menu bar popover.",
    u"Turn on **Stealth Mode** under **Window Protection**.",
    u"Tick the windows you want hidden, then click **Apply**.",
    u"Use the **Panic hotkey** to instantly hide or reveal everything.",
    u"Note: on macOS, apps in native full-screen can't be selectively hidden — keep sensitive windows in a normal (windowed) space.",
    u"Visit velarion.orvandel.com",
    u"Docs, downloads and the latest version",
    u"Email Support",
    u"Virtual Camera",
    u"Broadcasting your screen",
    u"Live",
    u"Your screen is broadcasting to the **Velarion** camera.",
    u"**Tick any window** below to hide it from the broadcast.",
    u"In Zoom, Meet or Teams, pick **Velarion** as your camera.",
    u"Windows to hide",
    u"%d hidden",
    u"Search windows",
    u"No windows open.",
    u"No matches.",
    u"Stop broadcasting",
    u"Not applied yet",
    u"Applied",
    u"Apply",
    u"Finish camera setup first",
    u"Screen Recording and the Camera Extension need to be enabled before you can broadcast.",
    u"Open Camera Setup",
    u"Live — %d window(s) hidden",
    u"Tick windows to hide, then choose **Velarion** as your camera in Zoom, Meet or Teams.",
    u"Open in its own window",
    u"Hidden",
    u"Update available",
    u"Velarion %@ is available. You have %@.",
    u"What's new",
    u"This release includes improvements and bug fixes.",
    u"Update & Relaunch",
    u"Later",
    u"Download manually",
    u"Downloading… %d%%",
    u"Preparing update…",
    u"Restarting…",
    u"Couldn't install the update automatically.",
    u"You're up to date",
};
// clang-format on

constexpr AppLanguage kTranslatedLanguages[] = {AppLanguage::arabic, AppLanguage::chinese,
                                                AppLanguage::spanish, AppLanguage::french};

// The printf placeholders a text carries, in order ("%@", "%d", "%%", and "%s"/"%i"/"%f" which
// would be typos here).
QStringList placeholders(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("%[%@dsif]"));
    QStringList found;
    for (auto it = pattern.globalMatch(text); it.hasNext();) {
        found.append(it.next().captured());
    }
    return found;
}

// Rows whose word is the same in that language; every other translation must differ from the
// English key.
const std::set<std::pair<QString, AppLanguage>>& sameAsEnglish() {
    static const std::set<std::pair<QString, AppLanguage>> exceptions{
        {QStringLiteral("General"), AppLanguage::spanish},
        {QStringLiteral("Version"), AppLanguage::french},
    };
    return exceptions;
}

}  // namespace

TEST(TranslationTableTest, HoldsEveryInterfaceTextOnceInOrder) {
    const auto& rows = TranslationTable::instance().rows();
    QStringList keys;
    for (const auto& row : rows) {
        keys.append(row.key);
    }
    QStringList expected;
    for (const char16_t* key : kExpectedKeys) {
        expected.append(QStringView(key).toString());
    }
    EXPECT_EQ(rows.size(), 159u);
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()).size(), keys.size()) << "duplicate keys";
    ASSERT_EQ(keys.size(), expected.size());
    for (qsizetype i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i], expected[i]) << "row " << i;
    }
}

TEST(TranslationTableTest, EveryTranslationKeepsPlaceholdersMarkersAndProductName) {
    for (const auto& row : TranslationTable::instance().rows()) {
        const QStringList keyPlaceholders = placeholders(row.key);
        for (const AppLanguage language : kTranslatedLanguages) {
            const QString& text = row.translation(language);
            const std::string where = (row.key + QStringLiteral(" [") +
                                       AppLanguages::rawValue(language) + QStringLiteral("]"))
                                          .toStdString();
            ASSERT_FALSE(text.trimmed().isEmpty()) << where;
            EXPECT_EQ(placeholders(text), keyPlaceholders) << where;
            EXPECT_EQ(text.count(QStringLiteral("**")), row.key.count(QStringLiteral("**")))
                << where;
            EXPECT_EQ(text.count(QStringLiteral("**")) % 2, 0) << where;
            EXPECT_EQ(text.count(QLatin1Char('\n')), row.key.count(QLatin1Char('\n'))) << where;
            if (row.key.contains(QStringLiteral("Velarion"))) {
                EXPECT_TRUE(text.contains(QStringLiteral("Velarion"))) << where;
            }
            const bool sameWord = sameAsEnglish().contains({row.key, language});
            EXPECT_EQ(text == row.key, sameWord) << where;
            EXPECT_EQ(text, text.trimmed()) << where << ": stray spaces at either end";
        }
    }
}

TEST(TranslationTableTest, WebsiteLinkIsMadeFromTheHostName) {
    const QString host = AppInfo::websiteHostName();
    EXPECT_EQ(host, QStringLiteral("velarion.orvandel.com"));
    const QString* french = TranslationTable::instance().find(
        QStringLiteral("Visit velarion.orvandel.com"), AppLanguage::french);
    ASSERT_NE(french, nullptr);
    EXPECT_EQ(*french, QStringLiteral("Visiter velarion.orvandel.com"));
    for (const auto& row : TranslationTable::instance().rows()) {
        if (row.key.startsWith(QStringLiteral("Visit "))) {
            for (const AppLanguage language : kTranslatedLanguages) {
                EXPECT_TRUE(row.translation(language).endsWith(QLatin1Char(' ') + host));
            }
        }
    }
}

TEST(TranslationTableTest, GivenRowsAreExact) {
    struct Given {
        const char16_t* key;
        std::array<const char16_t*, 4> texts;
    };
    // clang-format off
    const Given given[] = {
        {u"Settings", {u"الإعدادات", u"设置", u"Ajustes", u"Réglages"}},
        {u"Velarion %@ is available. You have %@.", {u"الإصدار %@ من Velarion متاح. لديك %@.", u"Velarion %@ 可用。您当前为 %@。", u"Velarion %@ está disponible. Tienes la %@.", u"Velarion %@ est disponible. Vous avez la %@."}},
        {u"Downloading… %d%%", {u"جارٍ التنزيل… %d%%", u"正在下载… %d%%", u"Descargando… %d%%", u"Téléchargement… %d%%"}},
        {u"Couldn't install the update automatically.", {u"تعذّر تثبيت التحديث تلقائيًا.", u"无法自动安装更新。", u"No se pudo instalar la actualización automáticamente.", u"Impossible d'installer la mise à jour automatiquement."}},
        {u"Close", {u"إغلاق", u"关闭", u"Cerrar", u"Fermer"}},
    };
    // clang-format on
    for (const Given& row : given) {
        for (size_t i = 0; i < 4; ++i) {
            const QString* text = TranslationTable::instance().find(QStringView(row.key).toString(),
                                                                    kTranslatedLanguages[i]);
            ASSERT_NE(text, nullptr);
            EXPECT_EQ(*text, QStringView(row.texts[i]).toString());
        }
    }
}

TEST(TranslationTableTest, FindsNothingInEnglishOrForUnknownOrDifferentlyCasedKeys) {
    const TranslationTable& table = TranslationTable::instance();
    EXPECT_EQ(table.find(QStringLiteral("Settings"), AppLanguage::english), nullptr);
    EXPECT_EQ(table.find(QStringLiteral("settings"), AppLanguage::french), nullptr);
    EXPECT_EQ(table.find(QStringLiteral("Settings "), AppLanguage::french), nullptr);
    EXPECT_EQ(table.find(QString(), AppLanguage::arabic), nullptr);
}
