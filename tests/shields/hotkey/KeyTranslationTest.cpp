#include "shields/hotkey/QtKeyTranslation.h"
#include "shields/hotkey/x11/X11KeyTranslation.h"

#include <QSet>

#include <gtest/gtest.h>

// Latin-1 keysyms are the characters themselves, so for printable keys the two tables must agree
// key by key.
TEST(KeyTranslationTest, EveryRecordableKeyHasItsOwnXKeysymAndPrintableOnesTheirCharacters) {
    const QList<quint32> codes = QtKeyTranslation::producibleKeyCodes();
    EXPECT_EQ(QSet<quint32>(codes.begin(), codes.end()).size(), codes.size()) << "duplicate code";
    QSet<quint32> keysyms;
    for (const quint32 code : codes) {
        SCOPED_TRACE(testing::Message() << "virtual key code " << code);
        const std::optional<quint32> keysym = X11KeyTranslation::keysym(code);
        ASSERT_TRUE(keysym.has_value());
        EXPECT_FALSE(keysyms.contains(*keysym)) << "two codes share keysym " << *keysym;
        keysyms.insert(*keysym);
        const QString characters = QtKeyTranslation::charactersIgnoringModifiers(code);
        if (!characters.isEmpty() && *keysym < 0xff00) {
            EXPECT_EQ(*keysym, characters.front().unicode());
        }
    }
    // Codes no key produces.
    EXPECT_FALSE(X11KeyTranslation::keysym(10).has_value());
    EXPECT_FALSE(X11KeyTranslation::keysym(4294967295u).has_value());
}

TEST(KeyTranslationTest, CarbonMasksBecomeTheServersModifierBits) {
    const X11KeyTranslation::ModifierBits usual;
    // Control, Mod1 (Alt), Mod4 (Super).
    EXPECT_EQ(X11KeyTranslation::modifierMask(0x1900, usual), 0x4c);
    EXPECT_EQ(X11KeyTranslation::modifierMask(0x300, usual), 0x41);
    EXPECT_EQ(X11KeyTranslation::modifierMask(0x400 | 0x80, usual), 0);

    const X11KeyTranslation::ModifierBits unusual{/*alt=*/0x80, /*super=*/0x20, /*numLock=*/0x08};
    EXPECT_EQ(X11KeyTranslation::modifierMask(0x1900, unusual), 0x04 | 0x80 | 0x20);
}
