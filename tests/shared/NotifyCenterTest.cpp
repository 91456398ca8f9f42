#include "HandoffNamespace.h"

#include "shared/FrameHandoff.h"
#include "shared/NotifyCenter.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const std::string kName = FrameHandoff::kNotifyName;

}  // namespace

TEST(NotifyCenter, StateAndPostsCrossBetweenIndependentCentres) {
    HandoffNamespace ns;
    NotifyCenter reader;
    int readerToken = -1;
    ASSERT_EQ(reader.notify_register_check(kName, readerToken), NotifyCenter::kStatusOK);
    int changed = 0;
    reader.notify_check(readerToken, changed);
    reader.notify_check(readerToken, changed);
    EXPECT_EQ(changed, 0);
    struct stat st {};
    ASSERT_EQ(::stat(("/dev/shm" + NotifyCenter::objectNameFor(kName)).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    NotifyCenter publisher;
    int publisherToken = -1;
    ASSERT_EQ(publisher.notify_register_check(kName, publisherToken), NotifyCenter::kStatusOK);
    publisher.notify_set_state(publisherToken, 0xFFFFFFFF00000007ull);
    publisher.notify_post(kName);
    reader.notify_check(readerToken, changed);
    EXPECT_EQ(changed, 1);
    std::uint64_t state = 0;
    EXPECT_EQ(reader.notify_get_state(readerToken, state), NotifyCenter::kStatusOK);
    EXPECT_EQ(state, 0xFFFFFFFF00000007ull);

    // A late registration takes the current state at once through its first check.
    NotifyCenter late;
    int lateToken = -1;
    late.notify_register_check(kName, lateToken);
    late.notify_check(lateToken, changed);
    EXPECT_EQ(changed, 1);
}

TEST(NotifyCenter, CancelledOrUnknownTokensAndUnsafeNamesFail) {
    HandoffNamespace ns;
    NotifyCenter center;
    int token = -1;
    center.notify_register_check(kName, token);
    center.notify_set_state(token, 42);
    EXPECT_EQ(center.notify_cancel(token), NotifyCenter::kStatusOK);
    std::uint64_t state = 0;
    int changed = 0;
    EXPECT_EQ(center.notify_get_state(token, state), NotifyCenter::kStatusInvalidToken);
    EXPECT_EQ(center.notify_check(token, changed), NotifyCenter::kStatusInvalidToken);
    EXPECT_EQ(center.notify_set_state(token, 1), NotifyCenter::kStatusInvalidToken);
    EXPECT_EQ(center.notify_cancel(-1), NotifyCenter::kStatusInvalidToken);
    EXPECT_EQ(center.notify_register_check("a/b", token), NotifyCenter::kStatusInvalidName);
    EXPECT_EQ(token, -1);
}

// The hand-off's names follow the runtime folder: a private session beside the user's (a test's,
// a second login's) must neither see nor overwrite the camera's state.
TEST(NotifyCenter, RuntimeFoldersKeepSessionsApart) {
    HandoffNamespace first;
    const std::string firstNamespace = FrameHandoff::shmNamespace();
    NotifyCenter publisher;
    int token = -1;
    ASSERT_EQ(publisher.notify_register_check(kName, token), NotifyCenter::kStatusOK);
    publisher.notify_set_state(token, 7);
    {
        HandoffNamespace second;
        EXPECT_NE(FrameHandoff::shmNamespace(), firstNamespace);
        EXPECT_EQ(HandoffNamespace::announcedIdentifier(), 0u) << "another session's state";
    }
    EXPECT_EQ(HandoffNamespace::announcedIdentifier(), 7u);
}
