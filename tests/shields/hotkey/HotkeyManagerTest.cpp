#include "core/UserDefaults.h"
#include "shields/hotkey/HotkeyGrabber.h"
#include "shields/hotkey/HotkeyManager.h"

#include "support/TempDir.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>

void PrintTo(const HotkeyManager::Combo& combo, std::ostream* os) {
    *os << combo.keyCode << "/0x" << std::hex << combo.modifiers << std::dec;
}

namespace {

using Combos = std::vector<HotkeyManager::Combo>;

// Stands in for the display's key grab: records each grab and lets a test press the key.
class RecordingGrabber final : public HotkeyGrabber {
public:
    void setPressedHandler(PressedHandler handler) override { m_handler = std::move(handler); }
    bool grab(quint32 keyCode, quint32 modifiers) override {
        calls.push_back({keyCode, modifiers});
        return accept;
    }
    void ungrab() override { ++ungrabs; }

    void press() {
        if (m_handler) {
            m_handler();
        }
    }

    std::vector<HotkeyManager::Combo> calls;
    int ungrabs = 0;
    bool accept = true;

private:
    PressedHandler m_handler;
};

struct Harness {
    explicit Harness(const QString& path, bool accept = true)
        : defaults(path) {
        auto owned = std::make_unique<RecordingGrabber>();
        owned->accept = accept;
        grabber = owned.get();
        manager = std::make_unique<HotkeyManager>(defaults, std::move(owned));
    }

    UserDefaults defaults;
    RecordingGrabber* grabber = nullptr;
    std::unique_ptr<HotkeyManager> manager;
};

// A manager started over a store that holds `lines`.
std::unique_ptr<Harness> harnessWith(const TempDir& dir, const QByteArray& lines) {
    const QString path = dir.filePath(QStringLiteral("Velarion.conf"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[General]\n" + lines + "\n");
    file.close();
    return std::make_unique<Harness>(path);
}

}  // namespace

TEST(HotkeyManagerTest, UpdateStoresEvenARefusedComboAndTriesItAgainAtTheNextStart) {
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("Velarion.conf"));
    {
        Harness h(path);
        h.grabber->accept = false;
        QSignalSpy failed(h.manager.get(), &HotkeyManager::lastRegistrationOKChanged);

        EXPECT_FALSE(h.manager->update(40, 0x300, QStringLiteral("K")));
        EXPECT_EQ(h.grabber->calls, (Combos{{4, 0x1900}, {40, 0x300}}));
        EXPECT_FALSE(h.manager->lastRegistrationOK());
        EXPECT_EQ(failed.count(), 1);
        EXPECT_EQ(h.manager->displayString(), QStringLiteral("Shift+Super+K"));
    }
    Harness relaunched(path);
    EXPECT_EQ(relaunched.grabber->calls, (Combos{{40, 0x300}}));
    EXPECT_EQ(relaunched.manager->keyLabel(), QStringLiteral("K"));
    EXPECT_TRUE(relaunched.manager->lastRegistrationOK());
}

TEST(HotkeyManagerTest, StoredCombinationIsUsedOnlyWhenBothValuesFitThirtyTwoBits) {
    const char* const invalid[] = {
        "panicKeyCode=-1\npanicModifiers=256",
        "panicKeyCode=4294967296\npanicModifiers=256",
        "panicKeyCode=abc\npanicModifiers=256",
        "panicKeyCode=1, 2\npanicModifiers=256",
        "panicKeyCode=40\npanicModifiers=99999999999",
        // A key code alone would grab a bare key.
        "panicKeyCode=40",
    };
    for (const char* stored : invalid) {
        SCOPED_TRACE(stored);
        TempDir dir;
        const auto h = harnessWith(dir, QByteArray(stored) + "\npanicKeyLabel=K");
        EXPECT_EQ(h->grabber->calls, (Combos{{4, 0x1900}}));
        EXPECT_EQ(h->manager->displayString(), QStringLiteral("Ctrl+Alt+Super+H"));
    }
}

TEST(HotkeyManagerTest, SuspendedGrabIsTakenAgainOnlyWhenEverySuspensionResumed) {
    TempDir dir;
    Harness h(dir.filePath(QStringLiteral("Velarion.conf")));
    // The default is not written down, so that a later default reaches those who kept it.
    EXPECT_FALSE(h.defaults.contains(QStringLiteral("panicKeyCode")));
    h.manager->suspendGrab();
    h.manager->suspendGrab();
    EXPECT_EQ(h.grabber->ungrabs, 1);
    EXPECT_TRUE(h.manager->isGrabSuspended());

    h.manager->resumeGrab();
    EXPECT_EQ(h.grabber->calls, (Combos{{4, 0x1900}}));

    // The result of the grab taken on resuming is the one reported.
    h.grabber->accept = false;
    h.manager->resumeGrab();
    EXPECT_FALSE(h.manager->isGrabSuspended());
    EXPECT_EQ(h.grabber->calls, (Combos{{4, 0x1900}, {4, 0x1900}}));
    EXPECT_FALSE(h.manager->lastRegistrationOK());

    // A resume without a suspension grabs nothing.
    h.manager->resumeGrab();
    EXPECT_EQ(h.grabber->calls.size(), 2u);
}

TEST(HotkeyManagerTest, PressRunsTheActionSetAtThatMomentLaterOnTheGuiThreadWhileManagerLives) {
    TempDir dir;
    auto h = std::make_unique<Harness>(dir.filePath(QStringLiteral("Velarion.conf")));
    int runs = 0;
    QThread* ranOn = nullptr;

    // No action yet: the press is dropped, even if one is installed before the loop runs.
    h->grabber->press();
    h->manager->setOnPanic([&] {
        ++runs;
        ranOn = QThread::currentThread();
    });
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 0);

    h->grabber->press();
    EXPECT_EQ(runs, 0) << "the action must not run inside the key handler";
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(ranOn, QCoreApplication::instance()->thread());

    h->grabber->press();
    h.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1) << "a press queued before the manager went away";
}
