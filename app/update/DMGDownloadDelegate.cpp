#include "update/DMGDownloadDelegate.h"

#include <QFileInfo>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTemporaryFile>

namespace {

// Qt turns an HTTP error status into a reply error; the download does not judge the status (an
// error page saved as the archive fails at extraction), so only transport errors count here.
bool isHttpStatusError(const QNetworkReply* reply) {
    const int error = reply->error();
    const bool contentOrServerError =
        (error >= QNetworkReply::ContentAccessDenied &&
         error <= QNetworkReply::UnknownContentError) ||
        (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
    return contentOrServerError &&
           reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
}

}  // namespace

DMGDownloadDelegate::DMGDownloadDelegate(ProgressCallback onProgress, QString finalPath,
                                         QObject* parent, qint64 maxBytes)
    : QObject(parent)
    , m_onProgress(std::move(onProgress))
    , m_finalPath(std::move(finalPath))
    , m_network(new QNetworkAccessManager(this))
    , m_maxBytes(maxBytes) {}

DMGDownloadDelegate::~DMGDownloadDelegate() = default;

void DMGDownloadDelegate::run(const QUrl& url, Completion completion) {
    m_continuation = std::move(completion);
    m_partial = std::make_unique<QTemporaryFile>(m_finalPath + QStringLiteral(".XXXXXX.part"));
    if (!m_partial->open()) {
        complete({std::nullopt,
                  m_partial->fileName() + QStringLiteral(": ") + m_partial->errorString()});
        return;
    }

    QNetworkRequest request(url);
    request.setTransferTimeout(kTimeoutMs);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &DMGDownloadDelegate::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &DMGDownloadDelegate::onFinished);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid()) {
            refuseIfTooLarge(length.toLongLong());
        }
    });
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64 total) {
        // Qt reports the received size as the total once a body of unknown length ends; only a
        // length the server announced makes a fraction.
        if (total < 1 || !m_reply->header(QNetworkRequest::ContentLengthHeader).isValid()) {
            return;
        }
        m_onProgress(static_cast<double>(received) / static_cast<double>(total));
    });
}

void DMGDownloadDelegate::refuseIfTooLarge(qint64 bytes) {
    if (bytes <= m_maxBytes || !m_writeError.isEmpty()) {
        return;
    }
    m_writeError = QStringLiteral("the update is larger than %1")
                       .arg(QLocale::c().formattedDataSize(m_maxBytes));
    m_reply->abort();
}

void DMGDownloadDelegate::onReadyRead() {
    const QByteArray chunk = m_reply->readAll();
    m_received += chunk.size();
    refuseIfTooLarge(m_received);
    if (m_writeError.isEmpty() && m_partial->write(chunk) != chunk.size()) {
        m_writeError = m_partial->fileName() + QStringLiteral(": ") + m_partial->errorString();
        m_reply->abort();
    }
}

void DMGDownloadDelegate::onFinished() {
    onReadyRead();
    m_reply->deleteLater();
    if (!m_writeError.isEmpty()) {
        complete({std::nullopt, m_writeError});
        return;
    }
    if (m_reply->error() != QNetworkReply::NoError && !isHttpStatusError(m_reply)) {
        complete({std::nullopt, m_reply->errorString()});
        return;
    }
    // The move: the finished body takes its final name, or the download counts as failed.
    m_movedURL.reset();
    if (m_partial->flush() && m_partial->rename(m_finalPath)) {
        m_partial->setAutoRemove(false);
        m_movedURL = m_finalPath;
    }
    if (m_movedURL) {
        complete({m_movedURL, {}});
    } else {
        complete({std::nullopt, QStringLiteral("downloadFailed")});
    }
}

void DMGDownloadDelegate::complete(const Result& result) {
    if (!m_continuation) {
        return;
    }
    Completion continuation = std::move(m_continuation);
    m_continuation = nullptr;
    m_partial.reset();
    continuation(result);
}
