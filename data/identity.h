#pragma once

#include <QMetaType>
#include <QString>

// What a meter says of itself in its system information answer, as every front end shows it.
struct MeterIdentity {
    QString product;
    QString serial;
    QString hardware; // "V1.2.10"
    QString firmware;
    QString buildTime;
    int kind = 0;   // the kind code the meter was taken for; 0 for none
    uint hwVer = 0; // the version words as sent: bits 16..23 major, 8..15 minor, 0..7 patch
    uint fwVer = 0;
};

// "V<major>.<minor>.<patch>" from bits 16..23, 8..15 and 0..7.
QString versionText(uint version);

// The identity from the answer's values: control characters become spaces (the texts go into
// one-line fields, reports and file names), and a "Quibrant" meter is named in full.
MeterIdentity meterIdentity(const QString& product, const QString& serial, uint hwVer, uint fwVer,
                            const QString& buildTime);

Q_DECLARE_METATYPE(MeterIdentity)
