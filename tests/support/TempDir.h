#pragma once

#include <QDir>
#include <QTemporaryDir>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

// A temporary folder that must exist for the test to mean anything.
class TempDir {
public:
    TempDir() { EXPECT_TRUE(m_dir.isValid()) << qPrintable(m_dir.errorString()); }

    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};
