#include "settings/TextFormat.h"

namespace TextFormat {

QString formatted(const QString& format, std::initializer_list<QVariant> arguments) {
    return formatted(format, QVariantList(arguments));
}

QString formatted(const QString& format, const QVariantList& values) {
    qsizetype next = 0;
    QString result;
    result.reserve(format.size() + 16);
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != u'%' || i + 1 == format.size()) {
            result += c;
            continue;
        }
        const QChar specifier = format.at(i + 1);
        if (specifier == u'%') {
            result += QLatin1Char('%');
            ++i;
        } else if (specifier == u'@' || specifier == u'd') {
            if (next < values.size()) {
                const QVariant& value = values[next];
                result +=
                    specifier == u'd' ? QString::number(value.toLongLong()) : value.toString();
            }
            ++next;
            ++i;
        } else {
            result += c;
        }
    }
    return result;
}

}  // namespace TextFormat
