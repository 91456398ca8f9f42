#include "core/Console.h"

#include <QByteArray>
#include <QMutex>

#include <cstdio>

namespace Console {

void printLine(const QString& line) {
    static QMutex mutex;
    const QByteArray bytes = line.toUtf8() + '\n';
    const QMutexLocker lock(&mutex);
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

}  // namespace Console
