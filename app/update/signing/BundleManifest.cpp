#include "update/signing/BundleManifest.h"

#include "update/Bundle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QUrl>

#include <sodium.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class Walker {
public:
    explicit Walker(QString root)
        : m_root(std::move(root)) {}

    bool walk(const QString& relative) {
        const QString folder = relative.isEmpty() ? m_root : m_root + QLatin1Char('/') + relative;
        const QStringList names = QDir(folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& name : names) {
            if (relative.isEmpty() && name == QLatin1String(Bundle::kSignatureFile)) {
                continue;
            }
            const QString child = relative.isEmpty() ? name : relative + QLatin1Char('/') + name;
            if (!addEntry(child)) {
                return false;
            }
        }
        return true;
    }

    QByteArray text() {
        std::sort(m_lines.begin(), m_lines.end(), [](const QByteArray& a, const QByteArray& b) {
            return a.mid(a.lastIndexOf(' ')) < b.mid(b.lastIndexOf(' '));
        });
        QByteArray text;
        for (const QByteArray& line : m_lines) {
            text += line + '\n';
        }
        return text;
    }

    QString error() const { return m_error; }

private:
    bool fail(const QString& relative, const QString& why) {
        m_error = relative + QStringLiteral(": ") + why;
        return false;
    }

    bool addEntry(const QString& relative) {
        const QString path = m_root + QLatin1Char('/') + relative;
        const QByteArray encodedPath = QFile::encodeName(path);
        struct stat info {};
        if (::lstat(encodedPath.constData(), &info) != 0) {
            return fail(relative, QString::fromLocal8Bit(std::strerror(errno)));
        }
        const QByteArray name = QUrl::toPercentEncoding(relative, "/");
        if (S_ISDIR(info.st_mode)) {
            m_lines.append("d 755 - " + name);
            return walk(relative);
        }
        if (S_ISLNK(info.st_mode)) {
            QByteArray target(PATH_MAX, '\0');
            const ssize_t length = ::readlink(encodedPath.constData(), target.data(),
                                              static_cast<size_t>(target.size()));
            if (length < 0 || length >= target.size()) {
                return fail(relative, QStringLiteral("unreadable link"));
            }
            target.truncate(length);
            m_lines.append("l 777 " + sha256(target) + ' ' + name);
            return true;
        }
        if (!S_ISREG(info.st_mode)) {
            return fail(relative, QStringLiteral("not a file, folder or link"));
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return fail(relative, file.errorString());
        }
        crypto_hash_sha256_state state;
        crypto_hash_sha256_init(&state);
        m_buffer.resize(1 << 20);
        qint64 length = 0;
        while ((length = file.read(m_buffer.data(), m_buffer.size())) > 0) {
            crypto_hash_sha256_update(&state,
                                      reinterpret_cast<const unsigned char*>(m_buffer.data()),
                                      static_cast<unsigned long long>(length));
        }
        if (length < 0) {
            return fail(relative, file.errorString());
        }
        QByteArray digest(crypto_hash_sha256_BYTES, '\0');
        crypto_hash_sha256_final(&state, reinterpret_cast<unsigned char*>(digest.data()));
        const QByteArray mode = (info.st_mode & S_IXUSR) ? "755" : "644";
        m_lines.append("f " + mode + ' ' + digest.toHex() + ' ' + name);
        return true;
    }

    static QByteArray sha256(const QByteArray& data) {
        QByteArray digest(crypto_hash_sha256_BYTES, '\0');
        crypto_hash_sha256(reinterpret_cast<unsigned char*>(digest.data()),
                           reinterpret_cast<const unsigned char*>(data.constData()),
                           static_cast<unsigned long long>(data.size()));
        return digest.toHex();
    }

    QString m_root;
    QList<QByteArray> m_lines;
    QByteArray m_buffer;
    QString m_error;
};

}  // namespace

OutcomeOf<QByteArray> BundleManifest::build(const QString& bundlePath) {
    if (!QFileInfo(bundlePath).isDir()) {
        return OutcomeOf<QByteArray>::failure(bundlePath + QStringLiteral(": not a folder"));
    }
    Walker walker(QDir::cleanPath(bundlePath));
    if (!walker.walk(QString())) {
        return OutcomeOf<QByteArray>::failure(walker.error());
    }
    return OutcomeOf<QByteArray>::success(walker.text());
}
