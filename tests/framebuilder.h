#pragma once

#include <QByteArray>
#include <QtGlobal>

// Builds meter responses byte by byte for the tests, independent of the decoder's own tables:
// fields are put at the offsets the meter uses, then the end byte, the length and the trailers.
class FrameBuilder {
public:
    // `payloadEnd` is where the end byte goes; everything before it starts as zero.
    FrameBuilder(quint8 command, int payloadEnd) : m_bytes(payloadEnd, '\0')
    {
        m_bytes[0] = char(0x02);
        m_bytes[1] = char(command);
    }

    FrameBuilder& u8(int at, quint8 v)
    {
        m_bytes[at] = char(v);
        return *this;
    }
    FrameBuilder& u16be(int at, quint16 v) { return u8(at, quint8(v >> 8)).u8(at + 1, quint8(v)); }
    FrameBuilder& u16le(int at, quint16 v) { return u8(at, quint8(v)).u8(at + 1, quint8(v >> 8)); }
    FrameBuilder& u32le(int at, quint32 v)
    {
        return u16le(at, quint16(v)).u16le(at + 2, quint16(v >> 16));
    }
    FrameBuilder& bytes(int at, const QByteArray& b)
    {
        for (int i = 0; i < b.size(); ++i)
            m_bytes[at + i] = b.at(i);
        return *this;
    }

    const QByteArray& payload() const { return m_bytes; }

    // The complete read: end byte, then `trailers` zero bytes; the length field counts from the
    // start byte up to the end byte unless `length` gives another value.
    QByteArray frame(int trailers = 2, int length = -1) const
    {
        QByteArray f = m_bytes;
        f.append(char(0x03));
        const int l = length >= 0 ? length : int(f.size());
        f[2] = char((l >> 8) & 0xFF);
        f[3] = char(l & 0xFF);
        f.append(trailers, '\0');
        return f;
    }

private:
    QByteArray m_bytes;
};
