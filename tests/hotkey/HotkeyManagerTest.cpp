#include "core/UserDefaults.h"
#include "shields/HotkeyGrabber.h"
#include "shields/HotkeyManager.h"

#include "support/TempDir.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>

namespace {

// Stands in for the display's key grab: records each grab together with what the store held at
// that moment, and lets a test press the key.
class RecordingGrabber final : public HotkeyGrabber {
public:
    struct Call {
        quint32 keyCode;
        quint32 modifiers;
        QString storedKeyCode;
        QString storedModifiers;
        QString storedLabel;
    };

    RecordingGrabber(UserDefaults& defaults, bool accept)
        : m_defaults(defaults)
        , m_accept(accept) {}

    void setPressedHandler(PressedHandler handler) override { m_handler = std::move(handler); }
    bool grab(quint32 keyCode, quint32 modifiers) override {
        calls.push_back({keyCode, modifiers,
                         m_defaults.storedValue(QStringLiteral("panicKeyCode")).toString(),
                         m_defaults.storedValue(QStringLiteral("panicModifiers")).toString(),
                         m_defaults.storedValue(QStringLiteral("panicKeyLabel")).toString()});
        return m_accept;
    }
    void ungrab() override {}

    void press() {
        if (m_handler) {
            m_handler();
        }
    }
    void setAccept(bool accept) { m_accept = accept; }

    std::vector<Call> calls;

private:
    UserDefaults& m_defaults;
    bool m_accept;
    PressedHandler m_handler;
};

struct Harness {
    explicit Harness(const QString& path, bool accept = true)
        : defaults(path) {
        auto owned = std::make_unique<RecordingGrabber>(defaults, accept);
        grabber = owned.get();
        manager = std::make_unique<HotkeyManager>(defaults, std::move(owned));
    }

    UserDefaults defaults;
    RecordingGrabber* grabber = nullptr;
    std::unique_ptr<HotkeyManager> manager;
};

void writeFile(const QString& path, const QByteArray& contents) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

}  // namespace

TEST(HotkeyManagerTest, EmptySettingsRegisterDefaultAndStoreNothing) {
    TempDir dir;
    Harness h(dir.filePath(QStringLiteral("Velarion.conf")));

    ASSERT_EQ(h.grabber->calls.size(), 1u);
    EXPECT_EQ(h.grabber->calls[0].keyCode, 4u);
    EXPECT_EQ(h.grabber->calls[0].modifiers, 0x1900u);
    EXPECT_EQ(h.manager->keyLabel(), QStringLiteral("H"));
    EXPECT_TRUE(h.manager->lastRegistrationOK());
    EXPECT_EQ(h.manager->displayString(), QStringLiteral("Control + Option + Command + H"));
    EXPECT_EQ(HotkeyManager::modifierGlyphs(h.manager->modifiers()) + h.manager->keyLabel(),
              QStringLiteral("⌃⌥⌘H"));
    EXPECT_FALSE(h.defaults.contains(QStringLiteral("panicKeyCode")));
    EXPECT_FALSE(h.defaults.contains(QStringLiteral("panicModifiers")));
    EXPECT_FALSE(h.defaults.contains(QStringLiteral("panicKeyLabel")));
}

TEST(HotkeyManagerTest, UpdateStoresBeforeRegisteringAndKeepsRefusedComboForNextStart) {
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("Velarion.conf"));
    {
        Harness h(path);
        h.grabber->setAccept(false);
        QSignalSpy failed(h.manager.get(), &HotkeyManager::lastRegistrationOKChanged);

        EXPECT_FALSE(h.manager->update(40, 0x300, QStringLiteral("K")));

        ASSERT_EQ(h.grabber->calls.size(), 2u);
        const RecordingGrabber::Call& call = h.grabber->calls[1];
        EXPECT_EQ(call.keyCode, 40u);
        EXPECT_EQ(call.modifiers, 0x300u);
        EXPECT_EQ(call.storedKeyCode, QStringLiteral("40"));
        EXPECT_EQ(call.storedModifiers, QStringLiteral("768"));
        EXPECT_EQ(call.storedLabel, QStringLiteral("K"));
        EXPECT_FALSE(h.manager->lastRegistrationOK());
        EXPECT_EQ(failed.count(), 1);
        EXPECT_EQ(h.manager->displayString(), QStringLiteral("Shift + Command + K"));
    }
    Harness relaunched(path);
    ASSERT_EQ(relaunched.grabber->calls.size(), 1u);
    EXPECT_EQ(relaunched.grabber->calls[0].keyCode, 40u);
    EXPECT_EQ(relaunched.grabber->calls[0].modifiers, 0x300u);
    EXPECT_EQ(relaunched.manager->keyLabel(), QStringLiteral("K"));
    EXPECT_TRUE(relaunched.manager->lastRegistrationOK());
}

TEST(HotkeyManagerTest, ResetAfterFailureRestoresDefaultAndNotifiesOnlyChangedFields) {
    TempDir dir;
    Harness h(dir.filePath(QStringLiteral("Velarion.conf")), /*accept=*/false);
    EXPECT_FALSE(h.manager->lastRegistrationOK());
    h.manager->update(4, 0x100, QStringLiteral("H"));

    QSignalSpy keyCode(h.manager.get(), &HotkeyManager::keyCodeChanged);
    QSignalSpy modifiers(h.manager.get(), &HotkeyManager::modifiersChanged);
    QSignalSpy label(h.manager.get(), &HotkeyManager::keyLabelChanged);
    QSignalSpy ok(h.manager.get(), &HotkeyManager::lastRegistrationOKChanged);
    h.grabber->setAccept(true);

    EXPECT_TRUE(h.manager->update(4, 6400, QStringLiteral("H")));
    EXPECT_EQ(keyCode.count(), 0);
    EXPECT_EQ(modifiers.count(), 1);
    EXPECT_EQ(label.count(), 0);
    EXPECT_EQ(ok.count(), 1);
    EXPECT_TRUE(h.manager->lastRegistrationOK());
    EXPECT_EQ(h.manager->combo(), (HotkeyManager::Combo{4, 0x1900}));
    EXPECT_EQ(h.defaults.storedInt(QStringLiteral("panicModifiers")), 6400);
}

TEST(HotkeyManagerTest, InvalidStoredCombinationFallsBackToDefault) {
    struct Case {
        const char* name;
        QByteArray contents;
    };
    const std::vector<Case> cases{
        {"negative key code", "panicKeyCode=-1\npanicModifiers=256\npanicKeyLabel=K\n"},
        {"key code past 32 bits", "panicKeyCode=4294967296\npanicModifiers=256\npanicKeyLabel=K\n"},
        {"key code not a number", "panicKeyCode=abc\npanicModifiers=256\npanicKeyLabel=K\n"},
        {"key code a list", "panicKeyCode=1, 2\npanicModifiers=256\npanicKeyLabel=K\n"},
        {"mask past 32 bits", "panicKeyCode=40\npanicModifiers=99999999999\npanicKeyLabel=K\n"},
        {"mask missing", "panicKeyCode=40\npanicKeyLabel=K\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const QString path = dir.filePath(QStringLiteral("Velarion.conf"));
        writeFile(path, "[General]\n" + c.contents);
        Harness h(path);
        ASSERT_EQ(h.grabber->calls.size(), 1u);
        EXPECT_EQ(h.grabber->calls[0].keyCode, 4u);
        EXPECT_EQ(h.grabber->calls[0].modifiers, 0x1900u);
        EXPECT_EQ(h.manager->keyLabel(), QStringLiteral("H"));
    }
}

TEST(HotkeyManagerTest, StoredCombinationAtRangeEdgesIsUsedAndMissingLabelReadsH) {
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("Velarion.conf"));
    writeFile(path, "[General]\npanicKeyCode=4294967295\npanicModifiers=0\n");
    Harness h(path);
    ASSERT_EQ(h.grabber->calls.size(), 1u);
    EXPECT_EQ(h.grabber->calls[0].keyCode, 4294967295u);
    EXPECT_EQ(h.grabber->calls[0].modifiers, 0u);
    EXPECT_EQ(h.manager->keyLabel(), QStringLiteral("H"));
    EXPECT_EQ(h.manager->displayString(), QStringLiteral("H"));
}

TEST(HotkeyManagerTest, PressRunsActionSetAtThatMomentLaterOnGuiThread) {
    TempDir dir;
    Harness h(dir.filePath(QStringLiteral("Velarion.conf")));
    int runs = 0;
    QThread* ranOn = nullptr;

    // No action yet: the press is dropped, even if one is installed before the loop runs.
    h.grabber->press();
    h.manager->setOnPanic([&] {
        ++runs;
        ranOn = QThread::currentThread();
    });
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 0);

    h.grabber->press();
    EXPECT_EQ(runs, 0) << "the action must not run inside the key handler";
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(ranOn, QCoreApplication::instance()->thread());
}

TEST(HotkeyManagerTest, PressAfterManagerIsGoneRunsNothing) {
    TempDir dir;
    int runs = 0;
    {
        Harness h(dir.filePath(QStringLiteral("Velarion.conf")));
        h.manager->setOnPanic([&] { ++runs; });
        h.grabber->press();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 0);
}

TEST(HotkeyManagerTest, LabelsGlyphsAndModifierFlags) {
    EXPECT_EQ(HotkeyManager::keyLabel(96, QString(QChar(0xF708))), QStringLiteral("F5"));
    EXPECT_EQ(HotkeyManager::keyLabel(49, QStringLiteral(" ")), QStringLiteral("Space"));
    EXPECT_EQ(HotkeyManager::keyLabel(117, {}), QStringLiteral("⌦"));
    EXPECT_EQ(HotkeyManager::keyLabel(40, QStringLiteral("k")), QStringLiteral("K"));
    EXPECT_EQ(HotkeyManager::keyLabel(10, QStringLiteral("§")), QStringLiteral("§"));
    EXPECT_EQ(HotkeyManager::keyLabel(200, {}), QStringLiteral("Key 200"));

    EXPECT_EQ(HotkeyManager::modifierGlyphs(0), QString());
    EXPECT_EQ(HotkeyManager::modifierGlyphs(0x1B00), QStringLiteral("⌃⌥⇧⌘"));
    EXPECT_EQ(HotkeyManager::modifierGlyphs(0x300 | 0x400), QStringLiteral("⇧⌘"));

    EXPECT_EQ(HotkeyManager::carbonModifiers(Qt::ControlModifier | Qt::AltModifier |
                                             Qt::ShiftModifier | Qt::MetaModifier |
                                             Qt::KeypadModifier | Qt::GroupSwitchModifier),
              0x1B00u);
    EXPECT_EQ(HotkeyManager::carbonModifiers(Qt::MetaModifier), 0x100u);
    EXPECT_EQ(HotkeyManager::carbonModifiers(Qt::NoModifier), 0u);
}

TEST(HotkeyManagerTest, SystemShortcutSetHoldsTheNineCombinations) {
    const QSet<HotkeyManager::Combo>& set = HotkeyManager::systemShortcuts();
    EXPECT_EQ(set.size(), 9);
    for (const HotkeyManager::Combo combo : {HotkeyManager::Combo{49, 0x100},
                                             {49, 0x900},
                                             {20, 0x300},
                                             {21, 0x300},
                                             {23, 0x300},
                                             {48, 0x100},
                                             {12, 0x100},
                                             {13, 0x100},
                                             {4, 0x100}}) {
        EXPECT_TRUE(set.contains(combo)) << combo.keyCode << "/" << combo.modifiers;
    }
    EXPECT_FALSE(set.contains({4, 0x1900}));
    EXPECT_FALSE(set.contains({0x100, 4})) << "fields must not be interchangeable";
}
