#include "HandoffNamespace.h"
#include "PlantedSurface.h"

#include "shared/FrameCopy.h"
#include "shared/SharedSurface.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <set>
#include <thread>

#include <sys/stat.h>

namespace {

constexpr std::uint32_t kBGRA = FrameHandoff::kPixelFormatBGRA;

}  // namespace

TEST(FrameCopy, CopiesTheShorterRowsAndStrideIntoTheTopLeftCorner) {
    // Three 8-byte rows of a source into two 12-, 4- and 8-byte rows.
    const std::vector<std::uint8_t> source = {1, 1, 1, 1, 2, 2, 2, 2,  //
                                              3, 3, 3, 3, 4, 4, 4, 4,  //
                                              5, 5, 5, 5, 6, 6, 6, 6};
    std::vector<std::uint8_t> wide(24, 9);
    FrameCopy::copyRows(source.data(), 8, 3, wide.data(), 12, 2);
    EXPECT_EQ(wide, (std::vector<std::uint8_t>{1, 1, 1, 1, 2, 2, 2, 2, 9, 9, 9, 9,  //
                                               3, 3, 3, 3, 4, 4, 4, 4, 9, 9, 9, 9}));
    std::vector<std::uint8_t> narrow(8, 0);
    FrameCopy::copyRows(source.data(), 8, 3, narrow.data(), 4, 2);
    EXPECT_EQ(narrow, (std::vector<std::uint8_t>{1, 1, 1, 1, 3, 3, 3, 3}));
}

TEST(SharedSurface, IdentifiersAreNeverZeroAndNeverReusedWhileTheOwnerRuns) {
    HandoffNamespace ns;
    std::set<std::uint32_t> seen;
    for (int i = 0; i < 200; ++i) {
        auto surface = SharedSurface::create(16, 16, kBGRA);
        ASSERT_TRUE(surface);
        EXPECT_NE(surface->surfaceId(), 0u);
        EXPECT_TRUE(seen.insert(surface->surfaceId()).second) << "reused " << surface->surfaceId();
    }
    EXPECT_TRUE(ns.objects().empty()) << "released surfaces stayed in /dev/shm";
}

TEST(SharedSurface, IsPrivateToItsUserAndFoundOnlyByItsIdentifier) {
    HandoffNamespace ns;
    auto owner = SharedSurface::create(1280, 720, kBGRA);
    ASSERT_TRUE(owner);
    struct stat st {};
    ASSERT_EQ(::stat(("/dev/shm" + SharedSurface::nameFor(owner->surfaceId())).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_uid, ::geteuid());

    auto reader = SharedSurface::lookup(owner->surfaceId());
    ASSERT_TRUE(reader);
    EXPECT_FALSE(reader->isOwner());
    EXPECT_FALSE(SharedSurface::lookup(owner->surfaceId() + 1));
}

TEST(SharedSurface, HeaderThatLiesAboutItsSizeIsRefused) {
    HandoffNamespace ns;
    const std::uint32_t id = 4242;
    const std::unique_ptr<ShmFile> planted = plantSurface(id, 32, 32);  // an 8 KiB object
    ASSERT_TRUE(planted);
    auto* header = static_cast<SurfaceHeader*>(planted->data());
    struct Case {
        std::uint32_t width, height, bytesPerRow;
        bool accepted;
    };
    const Case cases[] = {
        {1920, 1080, 1920 * 4, false},  // far beyond the 8 KiB object
        {4096, 1, 1920 * 4, false},     // fits, but the rows cannot hold the width
        {1, 1, 4, true},
    };
    for (const Case& c : cases) {
        header->width = c.width;
        header->height = c.height;
        header->bytesPerRow = c.bytesPerRow;
        header->pixelBytes = std::uint64_t(c.height) * c.bytesPerRow;
        EXPECT_EQ(bool(SharedSurface::lookup(id)), c.accepted) << c.width << "x" << c.height;
    }
}

// Lookup once checked the shared header and then read the layout from it a second time, so an
// owner rewriting the header in between handed the reader a layout nobody had checked.
TEST(SharedSurface, LayoutRewrittenDuringLookupNeverReachesTheReader) {
    HandoffNamespace ns;
    const std::uint32_t id = 4343;
    const std::unique_ptr<ShmFile> planted = plantSurface(id, 32, 32);
    ASSERT_TRUE(planted);
    auto* header = static_cast<SurfaceHeader*>(planted->data());
    std::atomic<bool> stop{false};
    std::thread rewriter([&] {
        for (std::uint32_t i = 0; !stop.load(std::memory_order_relaxed); ++i) {
            __atomic_store_n(&header->height, (i & 1) ? 60000u : 32u, __ATOMIC_RELAXED);
        }
    });
    int accepted = 0;
    int unchecked = 0;
    for (int i = 0; i < 20000 && unchecked == 0; ++i) {
        if (const auto surface = SharedSurface::lookup(id)) {
            ++accepted;
            unchecked += surface->height() != 32;
        }
    }
    stop = true;
    rewriter.join();
    EXPECT_GT(accepted, 0);
    EXPECT_EQ(unchecked, 0);
}

TEST(SharedSurface, ReaderTellsAFrameDrawnDuringItsCopy) {
    HandoffNamespace ns;
    auto owner = SharedSurface::create(64, 64, kBGRA);
    ASSERT_TRUE(owner);
    auto reader = SharedSurface::lookup(owner->surfaceId());
    ASSERT_TRUE(reader);

    auto sequence = reader->lockReadOnly();
    ASSERT_TRUE(sequence);
    EXPECT_TRUE(reader->unlockReadOnly(*sequence));

    sequence = reader->lockReadOnly();
    ASSERT_TRUE(sequence);
    owner->beginWrite();
    EXPECT_FALSE(reader->lockReadOnly()) << "a surface being drawn cannot be locked";
    owner->endWrite();
    EXPECT_FALSE(reader->unlockReadOnly(*sequence));
}
