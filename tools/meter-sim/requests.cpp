#include "requests.h"

#include "encoder.h"

namespace metersim {

namespace {

constexpr int kMinLength = 5;
constexpr int kMaxLength = 253; // keeps a request with its two trailing bytes within 255

Request classify(const QByteArray& frame)
{
    Request r;
    r.raw = frame;
    const quint8 command = quint8(frame[1]);
    const int length = int(frame.size()) - 2;
    if (command == DATA_REQ_SYSINFO && length == 5) {
        r.type = Request::SysInfo;
    } else if (command == DATA_REQ_CWDMDATA && (length == 7 || length == 8)) {
        r.type = length == 7 ? Request::Data : Request::Data96;
        r.index = quint8(frame[4]) << 8 | quint8(frame[5]);
        r.half = length == 8 ? quint8(frame[6]) : 0;
    }
    return r;
}

} // namespace

QString requestLogLine(const Request& request)
{
    switch (request.type) {
    case Request::SysInfo:
        return QStringLiteral("REQ sysinfo");
    case Request::Data:
        return QStringLiteral("REQ data %1").arg(request.index);
    case Request::Data96:
        return QStringLiteral("REQ data96 %1 %2").arg(request.index).arg(request.half);
    case Request::Unknown:
        break;
    }
    return QStringLiteral("REQ unknown ") + QString::fromLatin1(request.raw.toHex(' '));
}

QVector<Request> RequestParser::feed(const QByteArray& bytes)
{
    m_buffer.append(bytes);
    return parse();
}

QVector<Request> RequestParser::abandonPartial()
{
    if (!m_buffer.isEmpty())
        m_buffer.remove(0, 1);
    return parse();
}

QVector<Request> RequestParser::parse()
{
    QVector<Request> requests;
    for (;;) {
        const int start = int(m_buffer.indexOf(char(0x02)));
        if (start < 0) {
            m_buffer.clear();
            break;
        }
        m_buffer.remove(0, start);
        if (m_buffer.size() < 4)
            break;
        const int length = quint8(m_buffer[2]) << 8 | quint8(m_buffer[3]);
        if (length < kMinLength || length > kMaxLength) {
            m_buffer.remove(0, 1);
            continue;
        }
        if (m_buffer.size() < length + 2)
            break;
        if (m_buffer[length - 1] != char(0x03)) {
            m_buffer.remove(0, 1);
            continue;
        }
        requests.append(classify(m_buffer.left(length + 2)));
        m_buffer.remove(0, length + 2);
    }
    return requests;
}

} // namespace metersim
