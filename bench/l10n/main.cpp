// Cost of one interface-text lookup, the call every view makes for every text on every render.
// Peer: the same table kept as a map of maps (key, then language), measured in the same run.

#include "core/UserDefaults.h"
#include "settings/LocalizationManager.h"
#include "settings/TranslationTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

constexpr int kRounds = 200;

template <typename Lookup>
double nanosecondsPerLookup(const QStringList& keys, Lookup lookup) {
    qsizetype sink = 0;
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < kRounds; ++round) {
        for (const QString& key : keys) {
            sink += lookup(key).size();
        }
    }
    const double elapsed = static_cast<double>(timer.nsecsElapsed());
    if (sink == 0) {
        QTextStream(stderr) << "nothing looked up\n";
    }
    return elapsed / (static_cast<double>(kRounds) * static_cast<double>(keys.size()));
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    UserDefaults defaults(dir.filePath(QStringLiteral("Velarion.conf")));
    LocalizationManager manager(defaults, {QStringLiteral("en")});

    QElapsedTimer buildTimer;
    buildTimer.start();
    const TranslationTable& table = TranslationTable::instance();
    const double buildMs = static_cast<double>(buildTimer.nsecsElapsed()) / 1e6;

    QStringList keys;
    QHash<QString, QHash<int, QString>> peer;
    for (const TranslationTable::Row& row : table.rows()) {
        keys.append(row.key);
        for (const AppLanguage language : AppLanguages::kAllCases) {
            if (language != AppLanguage::english) {
                peer[row.key].insert(static_cast<int>(language), row.translation(language));
            }
        }
    }
    QStringList misses;
    for (const QString& key : keys) {
        misses.append(key + QStringLiteral(" (missing)"));
    }

    QTextStream out(stdout);
    out << "translation table: " << table.rows().size() << " rows built in " << buildMs << " ms\n";
    const double english =
        nanosecondsPerLookup(keys, [&](const QString& k) { return manager.localized(k); });
    manager.setLanguage(AppLanguage::french);
    const double french =
        nanosecondsPerLookup(keys, [&](const QString& k) { return manager.localized(k); });
    const double frenchMiss =
        nanosecondsPerLookup(misses, [&](const QString& k) { return manager.localized(k); });
    const int frenchSlot = static_cast<int>(AppLanguage::french);
    const double peerFrench = nanosecondsPerLookup(keys, [&](const QString& k) {
        const auto row = peer.constFind(k);
        if (row == peer.cend()) {
            return k;
        }
        return row->value(frenchSlot, k);
    });
    out << "localized() in English:        " << english << " ns\n";
    out << "localized() in French, hit:    " << french << " ns\n";
    out << "localized() in French, miss:   " << frenchMiss << " ns\n";
    out << "peer map of maps, French hit:  " << peerFrench << " ns  (ratio " << peerFrench / french
        << ")\n";
    defaults.sync();
    return 0;
}
