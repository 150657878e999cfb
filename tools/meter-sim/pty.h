#pragma once

#include <QString>

namespace metersim {

// The meter's end of the line: a pseudo-terminal master whose slave the application opens.
class Pty {
public:
    Pty() = default;
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool open(QString* error);
    int master() const { return m_master; }
    QString slavePath() const { return m_slavePath; }

private:
    int m_master = -1;
    // Held open for the whole run: with no slave open the master reads EIO and reports a
    // hang-up, which would happen every time the application closes the port.
    int m_slave = -1;
    QString m_slavePath;
};

} // namespace metersim
