#pragma once

#include <QString>
#include <QVariant>

#include <initializer_list>

// printf-style formatting of looked-up interface texts: "%@" takes the next argument as text,
// "%d" as a whole number in plain digits, "%%" is one percent sign. Anything else after a
// percent sign stays as written, and a placeholder without an argument becomes empty, so a
// translation that went wrong shows odd text but can never read past the arguments.
namespace TextFormat {

QString formatted(const QString& format, std::initializer_list<QVariant> arguments);
QString formatted(const QString& format, const QVariantList& arguments);

}  // namespace TextFormat
