#pragma once

#include "data/measurement.h"

#include <QByteArray>
#include <QDateTime>
#include <QVariant>
#include <QVector>

// How the archive's columns hold a record and a download's values, alike in both archives.
namespace ArchiveValues {

// The readings as little-endian 16-bit words.
QByteArray readingBytes(const QVector<qint16>& readings);
// What makes two records of one meter the same record: 63 bits of SHA-1 over all of it.
qint64 contentHash(const Measurement& m);
// Milliseconds since the epoch; NULL for a null time.
QVariant timeValue(const QDateTime& t);
// A text for a NOT NULL column: Qt binds a null text as NULL.
QVariant textValue(const QString& text);
// A file's text in a column; NULL where there is none.
QVariant jsonValue(bool set, const QByteArray& json);
// A blob for a NOT NULL column, even when empty: a null would not compare equal.
QVariant blobValue(const QByteArray& bytes);

} // namespace ArchiveValues
