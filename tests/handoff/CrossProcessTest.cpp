#include "BgraImage.h"
#include "HandoffNamespace.h"
#include "HelperProcess.h"

#include "shared/SharedSurface.h"
#include "shared/SurfaceReader.h"

#include <gtest/gtest.h>

#include <pwd.h>

namespace {

using Copy = SurfaceReader::CopyResult;

std::uint32_t identifierIn(const std::string& answer) {
    const std::string prefix = "announced ";
    if (answer.rfind(prefix, 0) != 0) {
        ADD_FAILURE() << "unexpected answer: " << answer;
        return 0;
    }
    return static_cast<std::uint32_t>(std::stoul(answer.substr(prefix.size())));
}

Copy copyInto(SurfaceReader& reader, std::uint32_t id, BgraImage& frame) {
    return reader.copy(id, frame.bytes(), frame.bytesPerRow, frame.height);
}

// Runs as root and speaks to helpers that drop to the 'nobody' account.
class OtherAccount : public ::testing::Test {
protected:
    void SetUp() override {
        const passwd* nobody = ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
        if (!nobody) {
            GTEST_SKIP() << "needs root and a 'nobody' account";
        }
        m_uid = QString::number(nobody->pw_uid);
    }
    HelperProcess helper(const char* mode, const std::string& name, const QString& extra = {}) {
        QStringList arguments = {QString::fromLatin1(mode), m_uid, QString::fromStdString(name)};
        if (!extra.isEmpty()) {
            arguments << extra;
        }
        return HelperProcess(arguments);
    }

    HandoffNamespace m_namespace;
    QString m_uid;
};

}  // namespace

TEST(CrossProcess, PublishedSurfaceIsFoundByIdentifierAndGoesStaleWhenPublishingStops) {
    HandoffNamespace ns;
    HelperProcess publisher({QStringLiteral("publish")});
    ASSERT_EQ(publisher.ask("start"), "started 1");
    const std::uint32_t last = identifierIn(publisher.ask("frame 1920 1080 10 20 30"));
    ASSERT_NE(last, 0u);
    EXPECT_EQ(HandoffNamespace::announcedIdentifier(), last);
    SurfaceReader reader;
    BgraImage frame(1920, 1080, 0x7F7F7F7Fu);
    ASSERT_EQ(copyInto(reader, last, frame), Copy::copied);
    EXPECT_EQ(frame.at(0, 0), 0xFF1E140Au);  // B 10, G 20, R 30, opaque
    EXPECT_EQ(frame.at(1919, 1079), 0xFF1E140Au);

    // The reader keeps its mapping, yet sees the stop on the very next frame.
    ASSERT_EQ(publisher.ask("stop"), "stopped");
    EXPECT_EQ(HandoffNamespace::announcedIdentifier(), last) << "the state keeps it";
    EXPECT_EQ(copyInto(reader, last, frame), Copy::notFound);
    EXPECT_EQ(copyInto(reader, FrameHandoff::kNoSurface, frame), Copy::notFound);
    EXPECT_TRUE(ns.objects("-surface-").empty());

    ASSERT_EQ(publisher.ask("start"), "started 1");
    const std::uint32_t next = identifierIn(publisher.ask("frame 64 64 1 2 3"));
    EXPECT_NE(next, last);
    EXPECT_EQ(copyInto(reader, next, frame), Copy::copied);
}

TEST(CrossProcess, KilledPublisherLeavesStaleIdentifiersAndNoSurfaceBehind) {
    HandoffNamespace ns;
    SurfaceReader reader;
    BgraImage frame(1920, 1080);
    std::uint32_t mapped = 0;
    std::uint32_t unmapped = 0;
    {
        HelperProcess publisher({QStringLiteral("publish")});
        ASSERT_EQ(publisher.ask("start"), "started 1");
        mapped = identifierIn(publisher.ask("frame 64 64 1 2 3"));
        unmapped = identifierIn(publisher.ask("frame 64 64 1 2 3"));
        ASSERT_EQ(copyInto(reader, mapped, frame), Copy::copied);
        ASSERT_EQ(ns.objects("-surface-").size(), 3u);
        publisher.killHard();
    }
    // Through a kept mapping or a fresh lookup, the reader finds the identifier stale and
    // removes that orphan.
    EXPECT_EQ(copyInto(reader, mapped, frame), Copy::notFound);
    EXPECT_EQ(copyInto(reader, unmapped, frame), Copy::notFound);
    EXPECT_EQ(ns.objects("-surface-").size(), 1u);

    // A publisher starting up removes the rest.
    HelperProcess next({QStringLiteral("publish")});
    ASSERT_EQ(next.ask("start"), "started 1");
    EXPECT_EQ(ns.objects("-surface-").size(), 3u) << "only the new ring is left";
    ASSERT_EQ(next.ask("stop"), "stopped");
    EXPECT_TRUE(ns.objects("-surface-").empty());
}

TEST_F(OtherAccount, CannotOpenASurfaceOrTheNotifyState) {
    auto surface = SharedSurface::create(64, 64, FrameHandoff::kPixelFormatBGRA);
    ASSERT_TRUE(surface);
    NotifyCenter center;
    int token = -1;
    ASSERT_EQ(center.notify_register_check(FrameHandoff::kNotifyName, token),
              NotifyCenter::kStatusOK);
    for (const std::string& name : {SharedSurface::nameFor(surface->surfaceId()),
                                    NotifyCenter::objectNameFor(FrameHandoff::kNotifyName)}) {
        EXPECT_EQ(helper("open-as", name).readLine(), "errno=" + std::to_string(EACCES)) << name;
    }
}

// The names are predictable: another account may create them first, with mode 0666.
TEST_F(OtherAccount, SurfaceOrNotifyStatePlantedUnderTheUsersNamesIsRefused) {
    const std::uint32_t planted = 31337;
    HelperProcess surfaceSquatter =
        helper("squat-as", SharedSurface::nameFor(planted), QString::number(planted));
    HelperProcess notifySquatter =
        helper("squat-as", NotifyCenter::objectNameFor(FrameHandoff::kNotifyName), "1");
    ASSERT_EQ(surfaceSquatter.readLine(), "created");
    ASSERT_EQ(notifySquatter.readLine(), "created");

    EXPECT_FALSE(SharedSurface::lookup(planted));
    NotifyCenter center;
    int token = 5;
    EXPECT_EQ(center.notify_register_check(FrameHandoff::kNotifyName, token),
              NotifyCenter::kStatusFailed);
    EXPECT_EQ(token, -1);
}
