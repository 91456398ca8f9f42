#include "update/Manifest.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

std::optional<Manifest> Manifest::decode(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return std::nullopt;
    }
    const QJsonObject object = document.object();
    const QJsonValue version = object.value(QStringLiteral("version"));
    const QJsonValue url = object.value(QStringLiteral("url"));
    const QJsonValue notes = object.value(QStringLiteral("notes"));
    if (!version.isString() || !url.isString()) {
        return std::nullopt;
    }
    Manifest manifest{version.toString(), url.toString(), std::nullopt};
    if (notes.isString()) {
        manifest.notes = notes.toString();
    } else if (!notes.isUndefined() && !notes.isNull()) {
        return std::nullopt;
    }
    return manifest;
}
