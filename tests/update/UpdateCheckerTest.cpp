#include "update/UpdateChecker.h"

#include "LocalHttpServer.h"
#include "support/QtPrinters.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using Status = UpdateChecker::Status;

constexpr int kWaitMs = 20'000;

// One feed path on a local server and a checker pointed at it.
class UpdateCheckerTest : public ::testing::Test {
protected:
    void publish(const QByteArray& body, int status = 200) {
        m_server.serve(QStringLiteral("/appcast.json"), {status, body, true, false});
    }

    std::unique_ptr<UpdateChecker> checker(const QString& localVersion, int timeoutMs = 10'000) {
        return std::make_unique<UpdateChecker>(m_server.url(QStringLiteral("/appcast.json")),
                                               localVersion, timeoutMs);
    }

    static void checkAndWait(UpdateChecker& checker) {
        QSignalSpy finished(&checker, &UpdateChecker::checkFinished);
        checker.check();
        ASSERT_TRUE(finished.wait(kWaitMs));
    }

    LocalHttpServer m_server;
};

TEST_F(UpdateCheckerTest,
       AvailableWithURLAndNoNotesWhenFeedIsNewerElseUpToDateNotifyingOnlyChanges) {
    publish(R"({"version": "1.3", "url": "https://velarion.orvandel.com/Velarion-1.3.tar.zst"})");
    auto subject = checker(QStringLiteral("1.2.9"));
    QList<Status> statuses;  // the status seen at each notification
    QObject::connect(subject.get(), &UpdateChecker::statusChanged,
                     [&] { statuses.append(subject->status()); });
    QSignalSpy urls(subject.get(), &UpdateChecker::downloadURLChanged);

    checkAndWait(*subject);
    checkAndWait(*subject);

    EXPECT_EQ(subject->status(), Status::available(QStringLiteral("1.3")));
    EXPECT_EQ(subject->downloadURL(),
              QUrl(QStringLiteral("https://velarion.orvandel.com/Velarion-1.3.tar.zst")));
    EXPECT_EQ(subject->releaseNotes(), std::nullopt);
    EXPECT_EQ(statuses,
              (QList<Status>{Status::checking(), Status::available(QStringLiteral("1.3")),
                             Status::checking(), Status::available(QStringLiteral("1.3"))}));
    EXPECT_EQ(urls.count(), 1);

    auto current = checker(QStringLiteral("1.3.0"));
    checkAndWait(*current);
    EXPECT_EQ(current->status(), Status::upToDate());
}

TEST_F(UpdateCheckerTest, FailsAndKeepsLastGoodValuesWhenResponseIsUnusable) {
    const struct {
        const char* name;
        int status;
        QByteArray body;
    } cases[] = {
        {"201", 201, R"({"version": "9", "url": "https://x.test/b"})"},
        {"no url", 200, R"({"version": "9"})"},
        {"no version", 200, R"({"url": "https://x.test/b"})"},
        {"version not a string", 200, R"({"version": 9, "url": "https://x.test/b"})"},
        {"notes not a string", 200, R"({"version": "9", "url": "https://x.test/b", "notes": 1})"},
        {"not JSON", 200, "<html>moved</html>"},
        {"not an object", 200, R"(["9", "https://x.test/b"])"},
        {"huge", 200,
         "{\"version\": \"9\", \"url\": \"https://x.test/b\", \"notes\": \"" +
             QByteArray(3 * 1024 * 1024, 'n') + "\"}"},
    };
    for (const auto& c : cases) {
        publish(R"({"version": "2.0", "url": "https://x.test/a", "notes": "Fixes"})");
        auto subject = checker(QStringLiteral("1.0"));
        checkAndWait(*subject);
        ASSERT_EQ(subject->status(), Status::available(QStringLiteral("2.0")));

        publish(c.body, c.status);
        QSignalSpy urlChanges(subject.get(), &UpdateChecker::downloadURLChanged);
        checkAndWait(*subject);
        EXPECT_EQ(subject->status(), Status::failed()) << c.name;
        EXPECT_EQ(subject->downloadURL(), QUrl(QStringLiteral("https://x.test/a"))) << c.name;
        EXPECT_EQ(subject->releaseNotes(), QStringLiteral("Fixes")) << c.name;
        EXPECT_EQ(urlChanges.count(), 0) << c.name;
    }
}

TEST_F(UpdateCheckerTest, InvalidURLAndNullNotesClearEarlierValuesWhileStillAvailable) {
    publish(R"({"version": "1.1", "url": "https://x.test/a", "notes": "Old"})");
    auto subject = checker(QStringLiteral("1.0"));
    checkAndWait(*subject);
    ASSERT_TRUE(subject->downloadURL().has_value());
    ASSERT_EQ(subject->releaseNotes(), QStringLiteral("Old"));

    // Unknown keys are ignored.
    publish(R"({"version": "1.3", "url": "http://bad host/%zz", "notes": null, "size": 12})");
    QSignalSpy notesChanges(subject.get(), &UpdateChecker::releaseNotesChanged);
    checkAndWait(*subject);
    EXPECT_EQ(subject->status(), Status::available(QStringLiteral("1.3")));
    EXPECT_EQ(subject->downloadURL(), std::nullopt);
    EXPECT_EQ(subject->releaseNotes(), std::nullopt);
    EXPECT_EQ(notesChanges.count(), 1);
}

TEST_F(UpdateCheckerTest, FailsWhenServerNeverAnswers) {
    m_server.serve(QStringLiteral("/appcast.json"), {200, {}, true, /*neverAnswer=*/true});
    auto silent = checker(QStringLiteral("1.0"), /*timeoutMs=*/500);
    checkAndWait(*silent);
    EXPECT_EQ(silent->status(), Status::failed());
}

TEST(UpdateCheckerStatics, IsNewerFollowsDottedNumericRules) {
    const struct {
        const char* remote;
        const char* local;
        bool newer;
    } cases[] = {
        {"1.3", "1.2.9", true},
        {"1.2", "1.2.0", false},
        {"1.10", "1.9", true},
        {"2.0-beta", "2.0", false},  // "0-beta" reads as 0
        {"0.1", "\u2014", true},     // the missing-version dash reads as 0
        {"1..2", "1.1", true},       // empty pieces dropped: 1.2
        {"1.-2", "1.0", false},
        {"1.99999999999999999999", "1.1", false},  // overflow is 0
        {"1.9223372036854775807", "1.9223372036854775806", true},
        {"", "", false},
        {"1.2.3.4.5", "1.2.3.4", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UpdateChecker::isNewer(QString::fromUtf8(c.remote), QString::fromUtf8(c.local)),
                  c.newer)
            << '"' << c.remote << "\" vs \"" << c.local << '"';
    }
}

}  // namespace
