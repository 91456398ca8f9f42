#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The update feed as published: the advertised version, the address of the update archive and
// optional release notes.
struct Manifest {
    QString version;
    QString url;
    std::optional<QString> notes;

    // nullopt unless `json` is an object whose "version" and "url" are strings and whose "notes",
    // when present and not null, is a string. Unknown keys are ignored.
    static std::optional<Manifest> decode(const QByteArray& json);

    bool operator==(const Manifest&) const = default;
};
