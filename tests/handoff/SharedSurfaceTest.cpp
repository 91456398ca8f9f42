#include "HandoffNamespace.h"

#include "shared/FrameCopy.h"
#include "shared/FrameHandoff.h"
#include "shared/SharedSurface.h"
#include "shared/ShmFile.h"
#include "shared/SurfaceHeader.h"
#include "shared/SurfaceReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <set>
#include <vector>

#include <sys/stat.h>

namespace {

constexpr std::uint32_t kBGRA = FrameHandoff::kPixelFormatBGRA;

void fill(SharedSurface& surface, std::uint8_t value) {
    std::memset(surface.baseAddress(), value,
                std::size_t(surface.bytesPerRow()) * std::size_t(surface.height()));
}

}  // namespace

TEST(FrameCopy, CopiesTheShorterRowsAndStrideIntoTheTopLeftCorner) {
    // A 3-row source with 8-byte rows into a 2-row destination with 12-byte rows.
    const std::vector<std::uint8_t> source = {1, 1, 1, 1, 2, 2, 2, 2,  //
                                              3, 3, 3, 3, 4, 4, 4, 4,  //
                                              5, 5, 5, 5, 6, 6, 6, 6};
    std::vector<std::uint8_t> destination(24, 9);
    FrameCopy::copyRows(source.data(), 8, 3, destination.data(), 12, 2);
    const std::vector<std::uint8_t> expected = {1, 1, 1, 1, 2, 2, 2, 2, 9, 9, 9, 9,
                                                3, 3, 3, 3, 4, 4, 4, 4, 9, 9, 9, 9};
    EXPECT_EQ(destination, expected);

    // Wider source rows are cut; equal strides copy rows × stride in one piece.
    std::vector<std::uint8_t> narrow(8, 0);
    FrameCopy::copyRows(source.data(), 8, 3, narrow.data(), 4, 2);
    EXPECT_EQ(narrow, (std::vector<std::uint8_t>{1, 1, 1, 1, 3, 3, 3, 3}));
    std::vector<std::uint8_t> same(16, 0);
    FrameCopy::copyRows(source.data(), 8, 3, same.data(), 8, 2);
    EXPECT_EQ(same, std::vector<std::uint8_t>(source.begin(), source.begin() + 16));
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

TEST(SharedSurface, IsPrivateToItsUserAndDescribesItsPixels) {
    HandoffNamespace ns;
    auto owner = SharedSurface::create(1280, 720, kBGRA);
    ASSERT_TRUE(owner);
    struct stat st {};
    ASSERT_EQ(::stat(("/dev/shm" + SharedSurface::nameFor(owner->surfaceId())).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_uid, ::geteuid());

    fill(*owner, 0x5A);
    auto reader = SharedSurface::lookup(owner->surfaceId());
    ASSERT_TRUE(reader);
    EXPECT_FALSE(reader->isOwner());
    EXPECT_EQ(reader->width(), 1280);
    EXPECT_EQ(reader->height(), 720);
    EXPECT_GE(reader->bytesPerRow(), 1280 * 4);
    EXPECT_EQ(reader->pixelFormat(), kBGRA);
    EXPECT_EQ(reader->baseAddress()[reader->bytesPerRow() * 719 + 5], 0x5A);

    EXPECT_FALSE(SharedSurface::lookup(FrameHandoff::kNoSurface));
    EXPECT_FALSE(SharedSurface::lookup(owner->surfaceId() + 1));
}

TEST(SharedSurface, KeptMappingFailsOnTheNextFrameAfterTheOwnerReleasesIt) {
    HandoffNamespace ns;
    auto owner = SharedSurface::create(1920, 1080, kBGRA);
    ASSERT_TRUE(owner);
    fill(*owner, 0x33);
    const std::uint32_t id = owner->surfaceId();
    SurfaceReader reader;
    std::vector<std::uint8_t> frame(1920 * 1080 * 4, 0);
    ASSERT_EQ(reader.copy(id, frame.data(), 1920 * 4, 1080), SurfaceReader::CopyResult::copied);
    EXPECT_EQ(frame[1920 * 4 * 1079 + 7], 0x33);

    owner.reset();
    EXPECT_EQ(reader.copy(id, frame.data(), 1920 * 4, 1080), SurfaceReader::CopyResult::notFound);
    EXPECT_FALSE(SharedSurface::lookup(id));
    EXPECT_EQ(reader.copy(0, frame.data(), 1920 * 4, 1080), SurfaceReader::CopyResult::notFound);
}

TEST(SharedSurface, SmallerSurfaceLandsInTheTopLeftCornerOfTheFrame) {
    HandoffNamespace ns;
    auto owner = SharedSurface::create(1280, 720, kBGRA);
    ASSERT_TRUE(owner);
    fill(*owner, 0xEE);
    SurfaceReader reader;
    std::vector<std::uint8_t> frame(1920 * 1080 * 4, 0x11);
    ASSERT_EQ(reader.copy(owner->surfaceId(), frame.data(), 1920 * 4, 1080),
              SurfaceReader::CopyResult::copied);
    EXPECT_EQ(frame[(719 * 1920 + 1279) * 4], 0xEE);
    EXPECT_EQ(frame[(719 * 1920 + 1280) * 4], 0x11);  // right of the surface: untouched
    EXPECT_EQ(frame[(720 * 1920) * 4], 0x11);         // below it: untouched
}

TEST(SharedSurface, HeaderThatLiesAboutItsSizeIsRefused) {
    HandoffNamespace ns;
    const std::uint32_t id = 4242;
    auto created = ShmFile::createExclusive(SharedSurface::nameFor(id), 8192);
    ASSERT_TRUE(created.file);
    ASSERT_TRUE(created.file->holdOwnerLock());
    auto* header = new (created.file->data()) SurfaceHeader{};
    header->magic = SurfaceHeader::kMagic;
    header->version = SurfaceHeader::kVersion;
    header->surfaceId = id;
    header->pixelFormat = kBGRA;
    header->width = 1920;
    header->height = 1080;
    header->bytesPerRow = 1920 * 4;
    header->pixelOffset = SurfaceHeader::kPixelOffset;
    header->pixelBytes = std::uint64_t(1080) * 1920 * 4;  // far beyond the 8 KiB object
    EXPECT_FALSE(SharedSurface::lookup(id));

    header->height = 1;  // fits now, but the stride no longer holds the width
    header->pixelBytes = 1920 * 4;
    header->width = 4096;
    EXPECT_FALSE(SharedSurface::lookup(id));

    header->width = 1;
    header->bytesPerRow = 4;
    header->pixelBytes = 4;
    EXPECT_TRUE(SharedSurface::lookup(id));
    ShmFile::unlink(created.file->name());
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
