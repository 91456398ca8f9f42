#pragma once

// Small shell scripts in a temporary folder standing in for desktop tools, and a journal file
// every script appends its name and arguments to, so tests see which tools ran in which order.

#include "support/TempDir.h"

#include <QFile>
#include <QStringList>

class FakeTools {
public:
    QString dir() const { return m_dir.path(); }
    QString journalPath() const { return m_dir.filePath(QStringLiteral("journal")); }

    // A tool that records "<name> <args…>" in the journal, then runs `body`.
    QString add(const QString& name, const QByteArray& body = "exit 0") const {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\necho \"" + name.toUtf8() + " $*\" >> '" +
                   QFile::encodeName(journalPath()) + "'\n" + body + "\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    QStringList journal() const {
        QFile file(journalPath());
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    TempDir m_dir;
};
