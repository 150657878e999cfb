#include "files/archivevalues.h"

#include <QCryptographicHash>
#include <QtEndian>

namespace ArchiveValues {

QByteArray readingBytes(const QVector<qint16>& readings)
{
    QByteArray bytes(readings.size() * 2, Qt::Uninitialized);
    for (int i = 0; i < readings.size(); ++i)
        qToLittleEndian<qint16>(readings.at(i), bytes.data() + 2 * i);
    return bytes;
}

qint64 contentHash(const Measurement& m)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const qint64 words[] = {m.code(), m.dateWord,    m.timeWord,        m.totalIndex,  m.mode,
                            m.polar,  m.name.size(), m.readings.size(), m.onOff.size()};
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(words), sizeof words));
    hash.addData(m.name);
    hash.addData(readingBytes(m.readings));
    hash.addData(m.onOff);
    // 63 bits, so that SQLite keeps it as a plain integer.
    return qFromLittleEndian<qint64>(hash.result().constData()) & 0x7fffffffffffffff;
}

QVariant timeValue(const QDateTime& t)
{
    return t.isValid() ? QVariant(t.toMSecsSinceEpoch()) : QVariant(QMetaType::fromType<qint64>());
}

QVariant textValue(const QString& text)
{
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

QVariant jsonValue(bool set, const QByteArray& json)
{
    return set ? QVariant(QString::fromUtf8(json)) : QVariant(QMetaType::fromType<QString>());
}

QVariant blobValue(const QByteArray& bytes)
{
    return bytes.isNull() ? QVariant(QByteArray("")) : QVariant(bytes);
}

} // namespace ArchiveValues
