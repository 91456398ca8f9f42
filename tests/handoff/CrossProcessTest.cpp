#include "HandoffNamespace.h"
#include "HelperProcess.h"

#include "shared/FrameHandoff.h"
#include "shared/NotifyCenter.h"
#include "shared/SharedSurface.h"
#include "shared/SurfaceReader.h"

#include <QThread>

#include <gtest/gtest.h>

#include <pwd.h>

#include <vector>

namespace {

std::uint32_t identifierIn(const std::string& answer) {
    const std::string prefix = "announced ";
    if (answer.rfind(prefix, 0) != 0) {
        ADD_FAILURE() << "unexpected answer: " << answer;
        return 0;
    }
    return static_cast<std::uint32_t>(std::stoul(answer.substr(prefix.size())));
}

std::uint32_t stateNow() {
    NotifyCenter center;
    int token = -1;
    std::uint64_t state = 0;
    center.notify_register_check(FrameHandoff::kNotifyName, token);
    center.notify_get_state(token, state);
    return static_cast<std::uint32_t>(state);
}

struct Frame {
    std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(1920 * 1080 * 4, 0x7F);
    const std::uint8_t* at(int x, int y) const { return &pixels[(std::size_t(y) * 1920 + x) * 4]; }
};

SurfaceReader::CopyResult copyInto(SurfaceReader& reader, std::uint32_t id, Frame& frame) {
    return reader.copy(id, frame.pixels.data(), 1920 * 4, 1080);
}

std::optional<uid_t> nobodyUid() {
    if (::geteuid() != 0) {
        return std::nullopt;
    }
    const passwd* entry = ::getpwnam("nobody");
    return entry ? std::optional<uid_t>(entry->pw_uid) : std::nullopt;
}

}  // namespace

TEST(CrossProcess, PublishedFrameIsFoundByIdentifierWithItsPixels) {
    HandoffNamespace ns;
    HelperProcess publisher({QStringLiteral("publish")});
    ASSERT_EQ(publisher.ask("start"), "started 1");

    const std::uint32_t first = identifierIn(publisher.ask("frame 1920 1080 10 20 30"));
    ASSERT_NE(first, 0u);
    EXPECT_EQ(stateNow(), first);
    SurfaceReader reader;
    Frame frame;
    ASSERT_EQ(copyInto(reader, first, frame), SurfaceReader::CopyResult::copied);
    EXPECT_EQ(std::vector<std::uint8_t>(frame.at(1919, 1079), frame.at(1919, 1079) + 4),
              (std::vector<std::uint8_t>{10, 20, 30, 255}));

    // A square frame is scaled to 1080 × 1080 and centred between black bars.
    const std::uint32_t second = identifierIn(publisher.ask("frame 500 500 200 100 50"));
    ASSERT_NE(second, first);
    ASSERT_EQ(copyInto(reader, second, frame), SurfaceReader::CopyResult::copied);
    EXPECT_EQ(std::vector<std::uint8_t>(frame.at(419, 540), frame.at(419, 540) + 4),
              (std::vector<std::uint8_t>{0, 0, 0, 255}));
    // Filtered scaling may lose up to two levels per channel.
    const std::uint8_t* middle = frame.at(960, 540);
    EXPECT_NEAR(middle[0], 200, 2);
    EXPECT_NEAR(middle[1], 100, 2);
    EXPECT_NEAR(middle[2], 50, 2);
    EXPECT_EQ(middle[3], 255);
    EXPECT_EQ(frame.at(1500, 0)[0], 0);
}

TEST(CrossProcess, StoppedPublisherLeavesItsLastIdentifierStale) {
    HandoffNamespace ns;
    HelperProcess publisher({QStringLiteral("publish")});
    ASSERT_EQ(publisher.ask("start"), "started 1");
    const std::uint32_t last = identifierIn(publisher.ask("frame 64 64 1 2 3"));
    SurfaceReader reader;
    Frame frame;
    ASSERT_EQ(copyInto(reader, last, frame), SurfaceReader::CopyResult::copied);

    ASSERT_EQ(publisher.ask("stop"), "stopped");
    EXPECT_EQ(stateNow(), last) << "the state keeps the last identifier";
    EXPECT_EQ(copyInto(reader, last, frame), SurfaceReader::CopyResult::notFound);
    EXPECT_TRUE(ns.objects("-surface-").empty());

    // Publishing again announces new, live identifiers.
    ASSERT_EQ(publisher.ask("start"), "started 1");
    const std::uint32_t next = identifierIn(publisher.ask("frame 64 64 1 2 3"));
    EXPECT_NE(next, last);
    EXPECT_EQ(copyInto(reader, next, frame), SurfaceReader::CopyResult::copied);
}

TEST(CrossProcess, KilledPublisherLeavesStaleIdentifiersAndNoSurfaceBehind) {
    HandoffNamespace ns;
    std::uint32_t announced = 0;
    {
        HelperProcess publisher({QStringLiteral("publish")});
        ASSERT_EQ(publisher.ask("start"), "started 1");
        announced = identifierIn(publisher.ask("frame 64 64 1 2 3"));
        ASSERT_EQ(ns.objects("-surface-").size(), 3u);
        publisher.killHard();
    }
    // A reader that looks finds the identifier stale and removes that orphan.
    SurfaceReader reader;
    Frame frame;
    EXPECT_EQ(copyInto(reader, announced, frame), SurfaceReader::CopyResult::notFound);
    EXPECT_EQ(ns.objects("-surface-").size(), 2u);

    // A publisher starting up removes the rest.
    HelperProcess next({QStringLiteral("publish")});
    ASSERT_EQ(next.ask("start"), "started 1");
    EXPECT_EQ(ns.objects("-surface-").size(), 3u) << "only the new ring is left";
    next.ask("stop");
    EXPECT_TRUE(ns.objects("-surface-").empty());
}

TEST(CrossProcess, KeptMappingGoesStaleWhenThePublisherIsKilled) {
    HandoffNamespace ns;
    HelperProcess publisher({QStringLiteral("publish")});
    ASSERT_EQ(publisher.ask("start"), "started 1");
    const std::uint32_t id = identifierIn(publisher.ask("frame 64 64 1 2 3"));
    SurfaceReader reader;
    Frame frame;
    ASSERT_EQ(copyInto(reader, id, frame), SurfaceReader::CopyResult::copied);
    publisher.killHard();
    EXPECT_EQ(copyInto(reader, id, frame), SurfaceReader::CopyResult::notFound);
    EXPECT_TRUE(ns.objects("surface-" + std::to_string(id)).empty());
}

TEST(CrossProcess, AnotherAccountCanNeitherOpenNorPlantTheObjects) {
    const std::optional<uid_t> nobody = nobodyUid();
    if (!nobody) {
        GTEST_SKIP() << "needs root and a 'nobody' account";
    }
    HandoffNamespace ns;
    auto surface = SharedSurface::create(64, 64, FrameHandoff::kPixelFormatBGRA);
    ASSERT_TRUE(surface);
    NotifyCenter center;
    int token = -1;
    ASSERT_EQ(center.notify_register_check(FrameHandoff::kNotifyName, token),
              NotifyCenter::kStatusOK);

    const QString uid = QString::number(*nobody);
    for (const std::string& name : {SharedSurface::nameFor(surface->surfaceId()),
                                    NotifyCenter::objectNameFor(FrameHandoff::kNotifyName)}) {
        HelperProcess opener({QStringLiteral("open-as"), uid, QString::fromStdString(name)});
        EXPECT_EQ(opener.readLine(), "errno=" + std::to_string(EACCES)) << name;
    }

    // A surface name planted by another account with mode 0666 is not this user's surface.
    const std::uint32_t planted = 31337;
    HelperProcess squatter({QStringLiteral("squat-surface-as"), uid, QString::number(planted)});
    ASSERT_EQ(squatter.readLine(), "created");
    EXPECT_FALSE(SharedSurface::lookup(planted));
}

TEST(CrossProcess, NotifyNamePlantedByAnotherAccountIsRefused) {
    const std::optional<uid_t> nobody = nobodyUid();
    if (!nobody) {
        GTEST_SKIP() << "needs root and a 'nobody' account";
    }
    HandoffNamespace ns;
    const std::string name = NotifyCenter::objectNameFor(FrameHandoff::kNotifyName);
    HelperProcess squatter(
        {QStringLiteral("squat-as"), QString::number(*nobody), QString::fromStdString(name)});
    ASSERT_EQ(squatter.readLine(), "created");
    NotifyCenter center;
    int token = 5;
    EXPECT_EQ(center.notify_register_check(FrameHandoff::kNotifyName, token),
              NotifyCenter::kStatusFailed);
    EXPECT_EQ(token, -1);
}
