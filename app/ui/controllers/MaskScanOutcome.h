#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>

// How one mask scan ended, for each caller to word its own way (a log line, a status text).
struct MaskScanOutcome {
    Q_GADGET
    Q_PROPERTY(Kind kind MEMBER kind)
    Q_PROPERTY(QString errorDescription MEMBER errorDescription)
    Q_PROPERTY(int regionCount MEMBER regionCount)

public:
    enum class Kind {
        failed,   // the snapshot could not be taken; `errorDescription` says why
        noImage,  // the server listed no display: nothing was scanned
        found,    // the scan ran and found `regionCount` regions (possibly none)
    };
    Q_ENUM(Kind)

    Kind kind = Kind::failed;
    QString errorDescription;
    int regionCount = 0;

    static MaskScanOutcome failedWith(const QString& description) {
        return {Kind::failed, description, 0};
    }
    static MaskScanOutcome noImageFound() { return {Kind::noImage, {}, 0}; }
    static MaskScanOutcome foundRegions(int count) { return {Kind::found, {}, count}; }

    friend bool operator==(const MaskScanOutcome&, const MaskScanOutcome&) = default;
};
Q_DECLARE_METATYPE(MaskScanOutcome)
