#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QStringList>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

// The simulated meter as a child process, for tests that talk to a meter over a
// pseudo-terminal. Its binary comes from VELUMIN_METER_SIM, which CTest sets. Started with
// posix_spawn rather than QProcess: ThreadSanitizer cannot follow the clone() that QProcess
// forks with, and these tests must run under it.
class MeterSim {
public:
    MeterSim() = default;
    MeterSim(const MeterSim&) = delete;
    MeterSim& operator=(const MeterSim&) = delete;
    ~MeterSim() { stop(); }

    static QString binary() { return qEnvironmentVariable("VELUMIN_METER_SIM"); }

    // Starts the meter and waits for its pseudo-terminal; false when it did not come up.
    bool start(const QStringList& args)
    {
        if (binary().isEmpty() || !spawn(args))
            return false;
        QDeadlineTimer deadline(5000);
        while (m_pty.isEmpty() && !deadline.hasExpired()) {
            pollfd p{m_out, POLLIN, 0};
            if (poll(&p, 1, int(deadline.remainingTime())) <= 0)
                break;
            if (!collect())
                break;
        }
        return !m_pty.isEmpty();
    }

    // Ends the meter with SIGTERM, so that it removes its port registration; true once it has
    // exited.
    bool stop()
    {
        bool exited = false;
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            exited = waitpid(m_pid, &m_status, 0) == m_pid;
            m_pid = -1;
        }
        if (m_out >= 0)
            ::close(m_out);
        m_out = -1;
        return exited;
    }

    QString pty() const { return m_pty; }

    // After stop(): the meter ended by itself with exit code 0.
    bool exitedCleanly() const { return WIFEXITED(m_status) && WEXITSTATUS(m_status) == 0; }

    // Every line the meter has written so far, as written.
    QStringList lines()
    {
        collect();
        return m_lines;
    }

    // Requests the meter has logged so far, without the "REQ " ("sysinfo", "data 3", ...).
    QStringList requests()
    {
        collect();
        return m_requests;
    }

    // Waits until the meter has logged at least `count` requests.
    bool waitForRequests(int count, int timeoutMs = 5000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (requests().size() < count && !deadline.hasExpired())
            QTest::qWait(10);
        return m_requests.size() >= count;
    }

private:
    bool spawn(const QStringList& args)
    {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0)
            return false;
        QList<QByteArray> argBytes{binary().toLocal8Bit()};
        for (const QString& a : args)
            argBytes.append(a.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& a : argBytes)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        const int rc = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        m_out = out[0];
        if (rc != 0) {
            m_pid = -1;
            return false;
        }
        return fcntl(m_out, F_SETFL, O_NONBLOCK) == 0;
    }

    // Takes in what the meter has written; false when nothing came.
    bool collect()
    {
        bool any = false;
        char chunk[4096];
        for (ssize_t got; m_out >= 0 && (got = ::read(m_out, chunk, sizeof chunk)) > 0;) {
            m_buffer.append(chunk, qsizetype(got));
            any = true;
        }
        int end;
        while ((end = m_buffer.indexOf('\n')) >= 0) {
            const QString line = QString::fromLatin1(m_buffer.left(end)).trimmed();
            m_buffer.remove(0, end + 1);
            m_lines.append(line);
            if (line.startsWith(QLatin1String("PTY ")))
                m_pty = line.mid(4);
            else if (line.startsWith(QLatin1String("REQ ")))
                m_requests.append(line.mid(4));
        }
        return any;
    }

    pid_t m_pid = -1;
    int m_status = -1;
    int m_out = -1;
    QByteArray m_buffer;
    QStringList m_lines;
    QString m_pty;
    QStringList m_requests;
};
