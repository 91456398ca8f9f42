#pragma once

// Readable GoogleTest output for Qt values (found by argument-dependent lookup).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <ostream>

inline void PrintTo(const QString& value, std::ostream* os) {
    *os << '"' << value.toStdString() << '"';
}

inline void PrintTo(const QStringList& value, std::ostream* os) {
    *os << '[' << value.join(QStringLiteral(", ")).toStdString() << ']';
}

inline void PrintTo(const QByteArray& value, std::ostream* os) {
    *os << "bytes(" << value.size() << ")";
}

inline void PrintTo(const QUrl& value, std::ostream* os) {
    *os << value.toString().toStdString();
}
