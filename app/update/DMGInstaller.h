#pragma once

#include <QString>

#include <exception>
#include <memory>
#include <optional>

class BundleVerifier;
class UpdateArchive;

// The steps of an install: "mount" the downloaded archive (extract it into a private read-only
// folder), find the bundle in it, check its signature and signer against the running copy,
// stage it next to the running bundle, "detach" (remove the folder), then write and start the
// relaunch script. `prepare` blocks and belongs on a worker thread; the object is immutable and
// safe to use from any thread.
class DMGInstaller {
public:
    enum class Failure {
        downloadFailed,
        mountFailed,
        appNotFound,
        signatureInvalid,
        teamMismatch,
        stagingFailed,
    };
    static QString name(Failure failure);

    // A step's failure: one of the cases above, or a system error told in words.
    class Error : public std::exception {
    public:
        explicit Error(Failure failure);
        explicit Error(QString description);

        std::optional<Failure> failure() const { return m_failure; }
        // The case's name, or the system error's text.
        QString description() const { return m_description; }
        const char* what() const noexcept override { return m_what.constData(); }

    private:
        std::optional<Failure> m_failure;
        QString m_description;
        QByteArray m_what;
    };

    struct Plan {
        QString staged;  // the verified copy, beside the running bundle
        QString target;  // the running bundle, to be replaced
        bool operator==(const Plan&) const = default;
    };

    // Where the install happens; `forRunningApplication` describes this process.
    struct Context {
        QString runningBundle;
        QString temporaryDirectory;
        qint64 processId = 0;
        // A check tool keeps the archive it was given; the application removes its download.
        bool removeImageAfterStaging = true;

        static Context forRunningApplication();
    };

    DMGInstaller(Context context, std::shared_ptr<const BundleVerifier> verifier,
                 std::shared_ptr<const UpdateArchive> archive);

    const Context& context() const { return m_context; }

    // Where a download is stored: "Velarion-Update-" + a new UUID + the archive's extension, in
    // the temporary folder.
    QString newImagePath() const;

    Plan prepare(const QString& image) const;
    // Writes the relaunch script for this process and starts it with /bin/sh without waiting.
    // Returns the script's path.
    QString relaunch(const Plan& plan) const;

    // The steps `prepare` is made of.
    QString mount(const QString& image) const;
    QString findApp(const QString& mountPoint) const;
    void verify(const QString& app) const;
    std::optional<QString> teamIdentifier(const QString& bundle) const;
    void detach(const QString& mountPoint) const;

private:
    Context m_context;
    std::shared_ptr<const BundleVerifier> m_verifier;
    std::shared_ptr<const UpdateArchive> m_archive;
};
