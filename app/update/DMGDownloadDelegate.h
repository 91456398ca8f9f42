#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;
class QTemporaryFile;

// Downloads one update archive into the temporary folder. The body is written to a temporary
// file as it arrives and moved to its final name ("Velarion-Update-<UUID>…") once complete.
// Lives on the GUI thread; the network wait never blocks it.
class DMGDownloadDelegate final : public QObject {
    Q_OBJECT

public:
    static constexpr int kTimeoutMs = 60'000;
    // Far above any application bundle; a body announced or grown past it is abandoned, so a
    // hostile or broken server cannot fill the temporary folder.
    static constexpr qint64 kMaxDownloadBytes = qint64{1} << 30;

    // Called with the fraction downloaded so far; never called when the server gives no length.
    using ProgressCallback = std::function<void(double fraction)>;
    // Exactly one of the two is set: the moved file's path, or the error's description.
    struct Result {
        std::optional<QString> file;
        QString error;
    };
    using Completion = std::function<void(const Result& result)>;

    // `finalPath` is where the finished download is moved to. A body larger than `maxBytes` fails
    // the download with "the update is larger than …"; the partial file is removed.
    DMGDownloadDelegate(ProgressCallback onProgress, QString finalPath, QObject* parent = nullptr,
                        qint64 maxBytes = kMaxDownloadBytes);
    ~DMGDownloadDelegate() override;

    // Starts the download; `completion` runs once, on this object's thread.
    void run(const QUrl& url, Completion completion);

private:
    void onReadyRead();
    void refuseIfTooLarge(qint64 bytes);
    void onFinished();
    void complete(const Result& result);

    ProgressCallback m_onProgress;
    QString m_finalPath;
    Completion m_continuation;
    std::optional<QString> m_movedURL;
    QNetworkAccessManager* m_network;
    QNetworkReply* m_reply = nullptr;
    std::unique_ptr<QTemporaryFile> m_partial;
    QString m_writeError;
    const qint64 m_maxBytes;
    qint64 m_received = 0;
};
