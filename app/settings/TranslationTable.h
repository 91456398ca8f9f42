#pragma once

#include "settings/AppLanguage.h"

#include <QHash>
#include <QString>

#include <array>
#include <vector>

// The interface texts in Arabic, Simplified Chinese, Spanish and French, keyed by the English
// text. English is never stored: the key is the English text. Built once per process on first
// use (thread-safe) and immutable afterwards, so it may be read from any thread.
class TranslationTable final {
public:
    struct Row {
        QString key;
        // Indexed by translationSlot(): arabic, chinese, spanish, french.
        std::array<QString, 4> translations;

        const QString& translation(AppLanguage language) const;
    };

    static const TranslationTable& instance();

    // The stored text for `key` in `language`, or nullptr when the table has no row for the key
    // or the language is English. One hash probe; nothing is allocated.
    const QString* find(const QString& key, AppLanguage language) const;

    // Every row, in the order of the source table.
    const std::vector<Row>& rows() const { return m_rows; }

private:
    TranslationTable();

    std::vector<Row> m_rows;
    QHash<QString, qsizetype> m_indexByKey;
};
