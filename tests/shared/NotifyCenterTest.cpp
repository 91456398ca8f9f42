#include "HandoffNamespace.h"

#include "shared/FrameHandoff.h"
#include "shared/NotifyCenter.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

#include <sys/stat.h>

namespace {

const std::string kName = FrameHandoff::kNotifyName;

}  // namespace

TEST(NotifyCenter, StateAndPostsCrossBetweenIndependentCentres) {
    HandoffNamespace ns;
    NotifyCenter reader;
    int readerToken = -1;
    ASSERT_EQ(reader.notify_register_check(kName, readerToken), NotifyCenter::kStatusOK);
    EXPECT_NE(readerToken, -1);
    std::uint64_t state = 99;
    EXPECT_EQ(reader.notify_get_state(readerToken, state), NotifyCenter::kStatusOK);
    EXPECT_EQ(state, 0u) << "a state nobody set";
    int changed = 0;
    reader.notify_check(readerToken, changed);
    EXPECT_EQ(changed, 1) << "the first check after registering";
    reader.notify_check(readerToken, changed);
    EXPECT_EQ(changed, 0);
    struct stat st {};
    ASSERT_EQ(::stat(("/dev/shm" + NotifyCenter::objectNameFor(kName)).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    NotifyCenter publisher;
    int publisherToken = -1;
    ASSERT_EQ(publisher.notify_register_check(kName, publisherToken), NotifyCenter::kStatusOK);
    publisher.notify_set_state(publisherToken, 0xFFFFFFFF00000007ull);
    reader.notify_check(readerToken, changed);
    EXPECT_EQ(changed, 0) << "setting the state is not a post";
    publisher.notify_post(kName);
    reader.notify_check(readerToken, changed);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(reader.notify_get_state(readerToken, state), NotifyCenter::kStatusOK);
    EXPECT_EQ(state, 0xFFFFFFFF00000007ull);

    // A late registration takes the current state at once through its first check.
    NotifyCenter late;
    int lateToken = -1;
    late.notify_register_check(kName, lateToken);
    late.notify_check(lateToken, changed);
    EXPECT_EQ(changed, 1);

    // A post from another thread wakes a waiting reader.
    EXPECT_FALSE(reader.waitForPost(readerToken, 20));
    std::thread poster([] { NotifyCenter().notify_post(kName); });
    EXPECT_TRUE(reader.waitForPost(readerToken, 20000));
    poster.join();
}

TEST(NotifyCenter, CancelledOrUnknownTokensFailAndLeaveTheStateAlone) {
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

    NotifyCenter other;
    other.notify_register_check(kName, token);
    other.notify_get_state(token, state);
    EXPECT_EQ(state, 42u) << "cancelling keeps the last state";
}

// The hand-off's names follow the runtime folder: a private session beside the user's (a test's,
// a second login's) must neither see nor overwrite the camera's state, while every spelling of
// one folder is one session.
TEST(NotifyCenter, RuntimeFoldersKeepSessionsApartAndOneFolderMeetsItself) {
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
    ASSERT_EQ(HandoffNamespace::announcedIdentifier(), 7u);

    QTemporaryDir links;
    const QString link = links.filePath(QStringLiteral("runtime"));
    ASSERT_TRUE(QFile::link(first.folder(), link));
    for (const QString& spelling : {first.folder() + QLatin1Char('/'), link}) {
        SCOPED_TRACE(spelling.toStdString());
        ::setenv("XDG_RUNTIME_DIR", spelling.toLocal8Bit().constData(), 1);
        EXPECT_EQ(FrameHandoff::shmNamespace(), firstNamespace);
        EXPECT_EQ(HandoffNamespace::announcedIdentifier(), 7u);
    }
    ::setenv("XDG_RUNTIME_DIR", first.folder().toLocal8Bit().constData(), 1);
}
