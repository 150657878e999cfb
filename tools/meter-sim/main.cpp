#include "faults.h"
#include "meter.h"
#include "options.h"
#include "portmap.h"
#include "pty.h"
#include "records.h"
#include "requests.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <deque>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

using namespace metersim;
using Clock = std::chrono::steady_clock;

namespace {

// A partial request that the line has been quiet on this long is given up, so that a stray
// start byte cannot swallow the requests after it.
constexpr auto kPartialTimeout = std::chrono::milliseconds(50);
// Pause before polling the master again after it reported a hang-up or an I/O error.
constexpr int kBackoffMs = 100;
constexpr int kWriteWaitMs = 200;

void printLine(const QString& line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

int millisUntil(Clock::time_point t, Clock::time_point now)
{
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(t - now).count();
    return int(std::max<long long>(0, ms));
}

// The master is non-blocking; a full line waits a little and then loses the rest, as a
// meter talking to nobody would.
void writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        pollfd p{fd, POLLOUT, 0};
        if (n < 0 && errno == EAGAIN && ::poll(&p, 1, kWriteWaitMs) > 0 && (p.revents & POLLOUT))
            continue;
        return;
    }
}

struct Pending {
    Clock::time_point due;
    QByteArray bytes;
};

class Loop {
public:
    Loop(int master, int stopSignals, Meter meter, const Faults& faults)
        : m_master(master), m_stopSignals(stopSignals), m_meter(std::move(meter)), m_faults(faults)
    {
    }

    void run()
    {
        for (;;) {
            flushDue(Clock::now());
            babble(Clock::now());
            pollfd fds[2] = {{m_stopSignals, POLLIN, 0}, {m_master, POLLIN, 0}};
            const nfds_t count = m_backoff ? 1 : 2;
            const int ready = ::poll(fds, count, timeoutMs(Clock::now()));
            if (ready < 0 && errno != EINTR)
                return;
            if (fds[0].revents & POLLIN)
                return;
            m_backoff = false;
            if (count == 2 && fds[1].revents)
                readMaster();
            if (m_parser.hasPartial() && Clock::now() - m_lastInput >= kPartialTimeout)
                handle(m_parser.abandonPartial());
        }
    }

private:
    int timeoutMs(Clock::time_point now) const
    {
        int timeout = m_backoff ? kBackoffMs : -1;
        auto sooner = [&timeout](int ms) { timeout = timeout < 0 ? ms : std::min(timeout, ms); };
        if (!m_out.empty())
            sooner(millisUntil(m_out.front().due, now));
        if (m_parser.hasPartial())
            sooner(millisUntil(m_lastInput + kPartialTimeout, now));
        if (m_babbling)
            sooner(millisUntil(m_nextBabble, now));
        return timeout;
    }

    // A line that never goes quiet: one byte that cannot start a frame, again and again.
    void babble(Clock::time_point now)
    {
        if (!m_babbling || now < m_nextBabble)
            return;
        writeAll(m_master, QByteArray(1, char(0x55)));
        m_nextBabble = now + std::chrono::milliseconds(m_faults.babbleMs());
    }

    void readMaster()
    {
        char buffer[512];
        for (;;) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0) {
                m_lastInput = Clock::now();
                handle(m_parser.feed(QByteArray(buffer, int(n))));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            // EAGAIN: all read. EIO or end of file: no one on the slave side just now.
            m_backoff = n == 0 || errno != EAGAIN;
            return;
        }
    }

    void handle(const QVector<Request>& requests)
    {
        for (const Request& request : requests) {
            printLine(requestLogLine(request));
            const Clock::time_point now = Clock::now();
            for (const Chunk& chunk : m_faults.shape(m_meter.answer(request))) {
                // Answers leave in the order asked for, even when a split one is still going out.
                Clock::time_point due = now + std::chrono::milliseconds(chunk.delayMs);
                if (!m_out.empty())
                    due = std::max(due, m_out.back().due);
                m_out.push_back({due, chunk.bytes});
            }
            if (request.type == Request::SysInfo && m_faults.babbleMs() > 0 && !m_babbling) {
                m_babbling = true;
                m_nextBabble = now + std::chrono::milliseconds(m_faults.babbleMs());
            }
        }
        flushDue(Clock::now());
    }

    void flushDue(Clock::time_point now)
    {
        while (!m_out.empty() && m_out.front().due <= now) {
            writeAll(m_master, m_out.front().bytes);
            m_out.pop_front();
        }
    }

    int m_master;
    int m_stopSignals;
    Meter m_meter;
    FaultShaper m_faults;
    RequestParser m_parser;
    std::deque<Pending> m_out;
    Clock::time_point m_lastInput;
    bool m_backoff = false;
    bool m_babbling = false;
    Clock::time_point m_nextBabble;
};

// SIGINT, SIGTERM and SIGHUP arrive as readable data on a descriptor, so that the loop ends
// through its normal path and the port map entry is removed.
int blockStopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    if (::sigprocmask(SIG_BLOCK, &set, nullptr) != 0)
        return -1;
    return ::signalfd(-1, &set, SFD_CLOEXEC);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    Options options;
    QString message;
    switch (parseOptions(app.arguments(), &options, &message)) {
    case ParseResult::Help:
        std::fputs(qPrintable(message), stdout);
        return 0;
    case ParseResult::Error:
        std::fprintf(stderr, "meter-sim: %s\n", qPrintable(message));
        return 2;
    case ParseResult::Ok:
        break;
    }

    QVector<Record> records;
    if (options.recordsFile.isEmpty()) {
        records = generatedRecords(options.records);
    } else if (!loadRecordsFile(options.recordsFile, &records, &message)) {
        std::fprintf(stderr, "meter-sim: %s: %s\n", qPrintable(options.recordsFile),
                     qPrintable(message));
        return 2;
    } else if (records.size() > 65535) {
        std::fprintf(stderr, "meter-sim: more than 65535 records\n");
        return 2;
    }

    // A test that dies must not leave its meter running (and holding the test's output open).
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int stopSignals = blockStopSignals();
    if (stopSignals < 0) {
        std::perror("meter-sim: signalfd");
        return 1;
    }
    Pty pty;
    if (!pty.open(&message)) {
        std::fprintf(stderr, "meter-sim: %s\n", qPrintable(message));
        return 1;
    }
    // What an earlier connection left unread: queued in the pty before anyone opens it, so the
    // next opener finds it waiting.
    if (options.leftover > 0) {
        const Meter meter(options, records);
        Request sysInfo;
        sysInfo.type = Request::SysInfo;
        const QByteArray answer = meter.answer(sysInfo);
        QByteArray stale;
        while (stale.size() < options.leftover)
            stale += answer;
        writeAll(pty.master(), stale.left(options.leftover));
    }
    // Registered before the PTY line, so whoever waits for that line finds the port listed.
    if (!options.registerPort.isEmpty())
        registerPort(options.registerPort, pty.slavePath());
    printLine(QStringLiteral("PTY ") + pty.slavePath());

    Loop(pty.master(), stopSignals, Meter(options, records), options.faults).run();

    if (!options.registerPort.isEmpty())
        unregisterPort(options.registerPort);
    ::close(stopSignals);
    return 0;
}
