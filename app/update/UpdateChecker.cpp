#include "update/UpdateChecker.h"

#include "core/AppInfo.h"
#include "update/Manifest.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>

namespace {

constexpr char kFeedURL[] = "https://velarion.orvandel.com/appcast.json";

// A piece is an optional sign followed by at least one decimal digit; anything else, including a
// value that does not fit in 64 bits, reads as 0.
qint64 versionPiece(QStringView piece) {
    QStringView digits = piece;
    if (!digits.isEmpty() && (digits.front() == u'+' || digits.front() == u'-')) {
        digits = digits.mid(1);
    }
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(),
                                         [](QChar c) { return c >= u'0' && c <= u'9'; })) {
        return 0;
    }
    bool ok = false;
    const qint64 value = piece.toLongLong(&ok, 10);
    return ok ? value : 0;
}

QList<qint64> versionPieces(const QString& version) {
    QList<qint64> pieces;
    for (const QStringView piece : QStringView(version).split(u'.', Qt::SkipEmptyParts)) {
        pieces.append(versionPiece(piece));
    }
    return pieces;
}

std::optional<QUrl> parsedURL(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid()) {
        return std::nullopt;
    }
    return url;
}

}  // namespace

QUrl UpdateChecker::feedURL() {
    static const QUrl url(QString::fromLatin1(kFeedURL));
    return url;
}

QString UpdateChecker::currentVersion() {
    const QString version = QString::fromUtf8(AppInfo::kVersion);
    return version.isEmpty() ? QStringLiteral("\u2014") : version;
}

bool UpdateChecker::isNewer(const QString& remote, const QString& local) {
    const QList<qint64> remotePieces = versionPieces(remote);
    const QList<qint64> localPieces = versionPieces(local);
    const qsizetype count = std::max(remotePieces.size(), localPieces.size());
    for (qsizetype i = 0; i < count; ++i) {
        const qint64 r = remotePieces.value(i, 0);
        const qint64 l = localPieces.value(i, 0);
        if (r != l) {
            return r > l;
        }
    }
    return false;
}

UpdateChecker::UpdateChecker(QObject* parent)
    : UpdateChecker(feedURL(), currentVersion(), kTimeoutMs, parent) {}

UpdateChecker::UpdateChecker(QUrl feed, QString localVersion, int timeoutMs, QObject* parent)
    : QObject(parent)
    , m_feed(std::move(feed))
    , m_localVersion(std::move(localVersion))
    , m_timeoutMs(timeoutMs)
    , m_network(new QNetworkAccessManager(this)) {}

UpdateChecker::~UpdateChecker() = default;

void UpdateChecker::check() {
    setStatus(Status::checking());

    QNetworkRequest request(m_feed);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(m_timeoutMs);
    QNetworkReply* reply = m_network->get(request);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > kMaxFeedBytes) {
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { onReplyFinished(reply); });
}

void UpdateChecker::onReplyFinished(QNetworkReply* reply) {
    reply->deleteLater();
    const QVariant httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    std::optional<Manifest> manifest;
    if (reply->error() == QNetworkReply::NoError && httpStatus.isValid() &&
        httpStatus.toInt() == 200) {
        const QByteArray body = reply->read(kMaxFeedBytes + 1);
        if (body.size() <= kMaxFeedBytes) {
            manifest = Manifest::decode(body);
        }
    }
    if (!manifest) {
        setStatus(Status::failed());
        Q_EMIT checkFinished();
        return;
    }
    setDownloadURL(parsedURL(manifest->url));
    setReleaseNotes(manifest->notes);
    setStatus(isNewer(manifest->version, m_localVersion) ? Status::available(manifest->version)
                                                         : Status::upToDate());
    Q_EMIT checkFinished();
}

void UpdateChecker::setStatus(const Status& status) {
    if (m_status == status) {
        return;
    }
    m_status = status;
    Q_EMIT statusChanged();
}

void UpdateChecker::setDownloadURL(const std::optional<QUrl>& url) {
    if (m_downloadURL == url) {
        return;
    }
    m_downloadURL = url;
    Q_EMIT downloadURLChanged();
}

void UpdateChecker::setReleaseNotes(const std::optional<QString>& notes) {
    if (m_releaseNotes == notes) {
        return;
    }
    m_releaseNotes = notes;
    Q_EMIT releaseNotesChanged();
}
