#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

// Fetches the update feed, compares the advertised version with the running one and publishes the
// outcome. It downloads nothing itself. Lives on the GUI thread; the network wait never blocks it.
class UpdateChecker final : public QObject {
    Q_OBJECT
    Q_PROPERTY(Status status READ status NOTIFY statusChanged)
    Q_PROPERTY(std::optional<QUrl> downloadURL READ downloadURL NOTIFY downloadURLChanged)
    Q_PROPERTY(std::optional<QString> releaseNotes READ releaseNotes NOTIFY releaseNotesChanged)

public:
    struct Status {
        enum class Kind { idle, checking, upToDate, available, failed };

        Kind kind = Kind::idle;
        QString version;  // the feed's version string, only for `available`

        static Status idle() { return {Kind::idle, {}}; }
        static Status checking() { return {Kind::checking, {}}; }
        static Status upToDate() { return {Kind::upToDate, {}}; }
        static Status available(const QString& version) { return {Kind::available, version}; }
        static Status failed() { return {Kind::failed, {}}; }

        bool operator==(const Status& other) const {
            return kind == other.kind && (kind != Kind::available || version == other.version);
        }
    };

    static constexpr int kTimeoutMs = 10'000;
    // A feed is a few hundred bytes; anything this large is not one and is not kept in memory.
    static constexpr qint64 kMaxFeedBytes = 1024 * 1024;

    // The maker's feed.
    static QUrl feedURL();
    // The running application's version, or "—" when the build carries none.
    static QString currentVersion();
    // Dotted numeric comparison; a piece that is not an optionally signed 64-bit decimal counts
    // as 0, a missing piece as 0, equal versions are not newer.
    static bool isNewer(const QString& remote, const QString& local);

    explicit UpdateChecker(QObject* parent = nullptr);
    // `feed` and `localVersion` let a check run against another server or a pretended version.
    UpdateChecker(QUrl feed, QString localVersion, int timeoutMs = kTimeoutMs,
                  QObject* parent = nullptr);
    ~UpdateChecker() override;

    Status status() const { return m_status; }
    std::optional<QUrl> downloadURL() const { return m_downloadURL; }
    std::optional<QString> releaseNotes() const { return m_releaseNotes; }
    QString localVersion() const { return m_localVersion; }

public Q_SLOTS:
    // Starts a check and returns at once. A second call while one runs starts another; the last
    // to finish decides.
    void check();

Q_SIGNALS:
    void statusChanged();
    void downloadURLChanged();
    void releaseNotesChanged();
    // Emitted when a check has written its outcome, after the change signals.
    void checkFinished();

private:
    void onReplyFinished(QNetworkReply* reply);
    void setStatus(const Status& status);
    void setDownloadURL(const std::optional<QUrl>& url);
    void setReleaseNotes(const std::optional<QString>& notes);

    QUrl m_feed;
    QString m_localVersion;
    int m_timeoutMs;
    QNetworkAccessManager* m_network;
    Status m_status;
    std::optional<QUrl> m_downloadURL;
    std::optional<QString> m_releaseNotes;
};

Q_DECLARE_METATYPE(UpdateChecker::Status)
