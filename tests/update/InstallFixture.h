#pragma once

#include "update/DMGInstaller.h"
#include "update/archive/TarZstdArchive.h"
#include "update/signing/BundleSigner.h"
#include "update/signing/SignedBundleVerifier.h"

#include "BundleFactory.h"
#include "support/TempDir.h"

#include <QDir>

#include <functional>

#include <gtest/gtest.h>

// A running copy signed with the maker's key in apps/Velarion, a private temporary folder, and
// release archives built on demand.
class InstallFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_secret = BundleFactory::makeKeys(m_dir.filePath(QStringLiteral("keys/maker")));
        m_otherSecret = BundleFactory::makeKeys(m_dir.filePath(QStringLiteral("keys/other")));
        BundleFactory::makeBundle(m_running, "1.0");
        ASSERT_TRUE(BundleSigner::sign(m_running, m_secret).succeeded());
        QDir().mkpath(m_tmp);
    }

    // An update archive holding version 2.0 of the bundle, signed with `secret` (none: unsigned),
    // optionally changed after signing.
    QString release(const QString& name, const QString& secret,
                    const std::function<void(const QString&)>& afterSigning = {}) {
        const QString folder = m_dir.filePath(QStringLiteral("release/") + name);
        const QString bundle = folder + QStringLiteral("/Velarion");
        BundleFactory::makeBundle(bundle, "2.0");
        if (!secret.isEmpty()) {
            EXPECT_TRUE(BundleSigner::sign(bundle, secret).succeeded());
        }
        if (afterSigning) {
            afterSigning(bundle);
        }
        const QString archive = folder + QStringLiteral(".tar.zst");
        EXPECT_TRUE(TarZstdArchive().pack(bundle, archive).succeeded());
        return archive;
    }

    DMGInstaller::Context context(qint64 processId = 0) const {
        DMGInstaller::Context context;
        context.runningBundle = m_running;
        context.temporaryDirectory = m_tmp;
        context.processId = processId;
        return context;
    }

    // An installer for the fixture's running copy, or for the one at `runningBundle`.
    DMGInstaller installer(const QString& runningBundle = {}) const {
        DMGInstaller::Context other = context();
        if (!runningBundle.isEmpty()) {
            other.runningBundle = runningBundle;
        }
        return DMGInstaller(other, std::make_shared<SignedBundleVerifier>(),
                            std::make_shared<TarZstdArchive>());
    }

    // What is left in the temporary folder, by name.
    QStringList temporaryEntries() const {
        return QDir(m_tmp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                     QDir::Name);
    }

    TempDir m_dir;
    QString m_running = m_dir.filePath(QStringLiteral("apps/Velarion"));
    QString m_staged = m_dir.filePath(QStringLiteral("apps/.Velarion.update"));
    QString m_tmp = m_dir.filePath(QStringLiteral("tmp"));
    QString m_secret;
    QString m_otherSecret;
};
