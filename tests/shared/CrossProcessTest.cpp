#include "BgraImage.h"
#include "HandoffNamespace.h"
#include "HelperProcess.h"
#include "PlantedSurface.h"

#include "shared/SharedSurface.h"
#include "shared/SurfaceReader.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Runs as root, and checks what the 'nobody' account can do.
class OtherAccount : public ::testing::Test {
protected:
    void SetUp() override {
        const passwd* nobody = ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
        if (!nobody) {
            GTEST_SKIP() << "needs root and a 'nobody' account";
        }
        m_nobody = nobody->pw_uid;
    }

    HandoffNamespace m_namespace;
    uid_t m_nobody = 0;
};

}  // namespace

// The reader keeps its mapping of a surface, yet finds the identifier stale on the very next frame
// once publishing stops or the publisher dies; surfaces a killed publisher leaves behind are
// removed by the reader that finds them or by the next publisher.
TEST(CrossProcess, PublishedSurfaceIsFoundByIdentifierAndGoesStaleWhenThePublisherStopsOrDies) {
    HandoffNamespace ns;
    SurfaceReader reader;
    BgraImage frame(1920, 1080, 0x7F7F7F7Fu);
    std::uint32_t mapped = 0;
    std::uint32_t unmapped = 0;
    {
        HelperProcess publisher({QStringLiteral("publish")});
        ASSERT_EQ(publisher.ask("start"), "started 1");
        const std::uint32_t last = identifierIn(publisher.ask("frame 1920 1080 10 20 30"));
        ASSERT_NE(last, 0u);
        EXPECT_EQ(HandoffNamespace::announcedIdentifier(), last);
        ASSERT_EQ(copyInto(reader, last, frame), Copy::copied);
        EXPECT_EQ(frame.at(0, 0), 0xFF1E140Au);  // B 10, G 20, R 30, opaque
        EXPECT_EQ(frame.at(1919, 1079), 0xFF1E140Au);

        ASSERT_EQ(publisher.ask("stop"), "stopped");
        EXPECT_EQ(HandoffNamespace::announcedIdentifier(), last) << "the state keeps it";
        EXPECT_EQ(copyInto(reader, last, frame), Copy::notFound);
        EXPECT_EQ(copyInto(reader, FrameHandoff::kNoSurface, frame), Copy::notFound);
        EXPECT_TRUE(ns.objects("-surface-").empty());

        ASSERT_EQ(publisher.ask("start"), "started 1");
        mapped = identifierIn(publisher.ask("frame 64 64 1 2 3"));
        unmapped = identifierIn(publisher.ask("frame 64 64 1 2 3"));
        EXPECT_NE(mapped, last);
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

// The names are predictable: another account may create them first, with mode 0666.
TEST_F(OtherAccount, SurfaceOrNotifyStatePlantedUnderTheUsersNamesIsRefused) {
    const std::uint32_t id = 31337;
    const std::unique_ptr<ShmFile> surface = plantSurface(id, 64, 64);
    auto notify =
        ShmFile::createExclusive(NotifyCenter::objectNameFor(FrameHandoff::kNotifyName), 4096);
    ASSERT_TRUE(surface && notify.file);
    int token = -1;
    ASSERT_TRUE(SharedSurface::lookup(id)) << "accepted while it is the user's own";
    ASSERT_EQ(NotifyCenter().notify_register_check(FrameHandoff::kNotifyName, token),
              NotifyCenter::kStatusOK);

    for (const std::string& name : {surface->name(), notify.file->name()}) {
        const std::string path = "/dev/shm" + name;
        ASSERT_EQ(::chown(path.c_str(), m_nobody, m_nobody), 0) << path;
        ASSERT_EQ(::chmod(path.c_str(), 0666), 0) << path;
    }
    EXPECT_FALSE(SharedSurface::lookup(id));
    token = 5;
    EXPECT_EQ(NotifyCenter().notify_register_check(FrameHandoff::kNotifyName, token),
              NotifyCenter::kStatusFailed);
    EXPECT_EQ(token, -1);
}
