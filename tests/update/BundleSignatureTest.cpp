#include "update/signing/BundleSigner.h"
#include "update/signing/SignedBundleVerifier.h"

#include "BundleFactory.h"
#include "core/CommandRunner.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>

namespace {

using namespace BundleFactory;

// Drives the real velarion-sign tool.
class BundleSignatureTest : public ::testing::Test {
protected:
    CommandResult sign(const QStringList& arguments) const {
        return m_runner.run(QStringLiteral(VELARION_SIGN_BINARY), arguments);
    }

    QString teamOf(const QString& bundle) const {
        return sign({QStringLiteral("info"), bundle}).standardOutputText().trimmed();
    }

    TempDir m_dir;
    CommandRunner m_runner;
    QString m_secret = m_dir.filePath(QStringLiteral("keys/secret.key"));
};

TEST_F(BundleSignatureTest, KeygenSignVerifyAndInfoWorkTogether) {
    const QString bundle = m_dir.filePath(QStringLiteral("Velarion"));
    makeBundle(bundle, "2.0");
    EXPECT_EQ(teamOf(bundle), QStringLiteral("TeamIdentifier=not set"));
    EXPECT_FALSE(sign({QStringLiteral("verify"), bundle}).succeeded());

    QDir().mkpath(m_dir.filePath(QStringLiteral("keys")));
    const CommandResult keygen = sign(
        {QStringLiteral("keygen"), m_secret, m_dir.filePath(QStringLiteral("keys/public.key"))});
    ASSERT_TRUE(keygen.succeeded()) << qPrintable(keygen.standardErrorText());
    struct stat keyFile {};
    ASSERT_EQ(::stat(QFile::encodeName(m_secret).constData(), &keyFile), 0);
    EXPECT_EQ(keyFile.st_mode & 07777, 0600u);

    ASSERT_TRUE(
        sign({QStringLiteral("sign"), bundle, QStringLiteral("--key"), m_secret}).succeeded());
    EXPECT_TRUE(sign({QStringLiteral("verify"), bundle}).succeeded());
    const QString info = teamOf(bundle);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^TeamIdentifier=[0-9A-F]{16}$")).match(info).hasMatch())
        << qPrintable(info);
    EXPECT_EQ(info, QStringLiteral("TeamIdentifier=") +
                        SignedBundleVerifier().teamIdentifier(bundle).value_or(QString()));

    // Signing again (a new build in the same folder) replaces the signature, not adds to it.
    writeFile(bundle + QStringLiteral("/share/velarion/version"), "2.0.1");
    ASSERT_TRUE(
        sign({QStringLiteral("sign"), bundle, QStringLiteral("--key"), m_secret}).succeeded());
    EXPECT_TRUE(sign({QStringLiteral("verify"), bundle}).succeeded());
    EXPECT_EQ(teamOf(bundle), info);
}

TEST_F(BundleSignatureTest, VerifyFailsForAnyChangeToASignedBundle) {
    makeKeys(m_dir.filePath(QStringLiteral("keys")));
    const QString otherSecret = makeKeys(m_dir.filePath(QStringLiteral("other")));
    int serial = 0;
    const auto expectRejected = [&](const char* name,
                                    const std::function<void(const QString&)>& change) {
        SCOPED_TRACE(name);
        // Signed and checked in-process: only the verdict on the change needs the tool.
        const QString bundle = m_dir.filePath(QStringLiteral("B%1").arg(++serial));
        makeBundle(bundle, "2.0");
        ASSERT_TRUE(BundleSigner::sign(bundle, m_secret).succeeded());
        ASSERT_TRUE(SignedBundleVerifier().verify(bundle));
        change(bundle);
        const CommandResult verify = sign({QStringLiteral("verify"), bundle});
        EXPECT_EQ(verify.outcome, CommandResult::Outcome::Exited);
        EXPECT_NE(verify.exitCode, 0);
        EXPECT_FALSE(verify.standardErrorText().isEmpty());
    };
    const auto editSignature = [](const QString& b, const std::function<void(QByteArray&)>& edit) {
        QByteArray text = readFile(b + "/.velarion-signature");
        edit(text);
        writeFile(b + "/.velarion-signature", text);
    };

    expectRejected("changed file", [](auto b) { writeFile(b + "/lib/libvelarion.so.1", "evil"); });
    expectRejected("added file", [](auto b) { writeFile(b + "/lib/extra.so", "x"); });
    expectRejected("added hidden file", [](auto b) { writeFile(b + "/.preload", "x"); });
    expectRejected("added folder", [](auto b) { QDir().mkpath(b + "/plugins"); });
    expectRejected("removed file", [](auto b) { QFile::remove(b + "/share/velarion/.hidden"); });
    expectRejected("removed folder", [](auto b) { QDir(b + "/share/empty").removeRecursively(); });
    expectRejected("made executable", [](auto b) {
        QFile(b + "/lib/libvelarion.so.1").setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    });
    expectRejected("retargeted link", [](auto b) {
        QFile::remove(b + "/lib/libvelarion.so");
        QFile::link(QStringLiteral("/usr/lib/evil.so"), b + "/lib/libvelarion.so");
    });
    expectRejected("file swapped for link", [](auto b) {
        QFile::remove(b + "/share/velarion/version");
        QFile::link(QStringLiteral("/etc/passwd"), b + "/share/velarion/version");
    });
    expectRejected("signature removed", [](auto b) { QFile::remove(b + "/.velarion-signature"); });
    expectRejected("signature bytes changed", [&](auto b) {
        editSignature(b, [](QByteArray& text) {
            const qsizetype at = text.indexOf("Signature: ") + 12;
            text[at] = text[at] == 'A' ? 'B' : 'A';
        });
    });
    expectRejected("listing edited to match a change", [&](auto b) {
        editSignature(b, [](QByteArray& text) { text.replace("share/empty\n", "share/emptz\n"); });
        QDir().rename(b + "/share/empty", b + "/share/emptz");
    });
    expectRejected("team claimed with another key", [&](auto b) {
        // Re-signed by someone else but still claiming the original team.
        const QByteArray original = readFile(b + "/.velarion-signature");
        const QByteArray team = original.mid(original.indexOf("TeamIdentifier: "), 32);
        ASSERT_TRUE(BundleSigner::sign(b, otherSecret).succeeded());
        editSignature(b, [&](QByteArray& text) {
            text.replace(text.mid(text.indexOf("TeamIdentifier: "), 32), team);
        });
        EXPECT_EQ(teamOf(b), QStringLiteral("TeamIdentifier=not set"));
    });
}

TEST_F(BundleSignatureTest, RejectsABadKeyWithoutWritingASignature) {
    writeFile(m_secret, "not a key\n");
    const QString bundle = m_dir.filePath(QStringLiteral("Velarion"));
    makeBundle(bundle, "1");
    const CommandResult result =
        sign({QStringLiteral("sign"), bundle, QStringLiteral("--key"), m_secret});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_FALSE(QFile::exists(bundle + QStringLiteral("/.velarion-signature")));
}

}  // namespace
