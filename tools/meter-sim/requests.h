#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

namespace metersim {

struct Request {
    enum Type { SysInfo, Data, Data96, Unknown };
    Type type = Unknown;
    int index = 0;
    int half = 0;
    QByteArray raw; // the whole request as received
};

// The line logged on stdout for each request: "REQ sysinfo", "REQ data 3", ...
QString requestLogLine(const Request& request);

// Collects request bytes as they arrive, in any chunking, and cuts them into frames
// 02 cmd LH LL ... 03 00 00; bytes that cannot start a frame are skipped.
class RequestParser {
public:
    QVector<Request> feed(const QByteArray& bytes);
    bool hasPartial() const { return !m_buffer.isEmpty(); }
    // Gives up on a partial frame the line has been quiet on: skips its first byte and
    // looks for a frame in what follows.
    QVector<Request> abandonPartial();

private:
    QVector<Request> parse();
    QByteArray m_buffer;
};

} // namespace metersim
