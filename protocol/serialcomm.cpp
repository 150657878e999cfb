#include "protocol/serialcomm.h"

#include "data/logging.h"
#include "device/serialport.h"

#include <QCoreApplication>
#include <QSerialPort>

#include <chrono>
#include <optional>

namespace {

// Counts the receivers' hand-overs; see SerialComm::takeOver().
std::atomic<unsigned> handovers{0};

// Pacing from the meter's protocol: the meter needs a moment after each answer.
constexpr int PauseAfterFrameMs = 50;
// A failing port (meter unplugged) fails every read at once; waiting keeps the loop from
// spinning until the port counts as gone.
constexpr int PauseAfterErrorMs = 100;
constexpr int WriteWaitMs = 100;

} // namespace

SerialComm::SerialComm(QSerialPort* port, int deviceSelectionIndex, QObject* parent)
    : QThread(parent), m_port(port), m_home(QThread::currentThread())
{
    m_state.devIndex = deviceSelectionIndex;
    m_port->moveToThread(this);
}

SerialComm::~SerialComm()
{
    // A receiver that never ran still holds the port in its thread; running the (empty) loop
    // is what hands the port back.
    if (!isRunning() && !isFinished()) {
        m_stop = true;
        start();
    }
    stop();
    wait();
    // QThread::wait() can return through a lock that ThreadSanitizer does not see; taking the
    // mutex that the end of run() took makes the loop's last use of the port visibly finished.
    { std::lock_guard<std::mutex> lock(m_mutex); }
    qCDebug(lcVelumin) << "exit";
}

void SerialComm::post(const QByteArray& frame)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_outbox.append(frame);
    }
    m_wake.notify_all();
    m_waker.wake();
}

void SerialComm::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_waker.wake();
}

void SerialComm::pauseUnlessStopped(int ms)
{
    // Requests posted during the pause go out at once, so that the answer is already waiting
    // when the pause ends: the pause then costs the link nothing beyond itself.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
        if (!m_wake.wait_until(lock, deadline, [this] { return m_stop || !m_outbox.isEmpty(); }))
            return;
        if (m_stop)
            return;
        lock.unlock();
        writePosted();
        lock.lock();
    }
}

void SerialComm::writePosted()
{
    QList<QByteArray> frames;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        frames.swap(m_outbox);
    }
    for (const QByteArray& frame : frames) {
        // A line that takes nothing must not hold a stop back for a wait per frame.
        if (m_stop)
            return;
        m_port->write(frame);
        m_port->waitForBytesWritten(WriteWaitMs);
    }
}

void SerialComm::run()
{
    qCDebug(lcVelumin) << "start recv data";
    QByteArray read;
    std::optional<std::chrono::steady_clock::time_point> failingSince;
    while (!m_stop) {
        writePosted();
        const SerialLine::ReadStatus status = SerialLine::readFrame(
            *m_port, read, &m_waker, [this] { return m_stop.load(); }, Decoder::acceptFrame);
        if (status == SerialLine::ReadStatus::Error) {
            const auto now = std::chrono::steady_clock::now();
            // Logged once per run of failures, not once per read.
            if (!failingSince) {
                qCDebug(lcVelumin).noquote() << "serial read failed:" << m_port->error()
                                   << m_port->errorString();
                failingSince = now;
            }
            // Unplugged: the driver says so at once, or every read keeps failing.
            if (m_port->error() == QSerialPort::ResourceError ||
                now - *failingSince >= std::chrono::milliseconds(GiveUpAfterMs)) {
                qCDebug(lcVelumin).noquote() << "serial port lost:" << m_port->errorString();
                Q_EMIT portLost();
                break;
            }
            pauseUnlessStopped(PauseAfterErrorMs);
            continue;
        }
        failingSince.reset();
        if (status == SerialLine::ReadStatus::Nothing)
            continue;
        if (!Decoder::acceptFrame(read))
            continue;
        emitDecoded(Decoder::decodeFrame(read, m_state));
        pauseUnlessStopped(PauseAfterFrameMs);
    }
    qCDebug(lcVelumin) << "Stop recv data";
    m_port->close();
    m_port->moveToThread(m_home);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = false;
}

void SerialComm::emitDecoded(const Decoder::Decoded& decoded)
{
    // Everything decoded so far is handed over with the signal below.
    handovers.fetch_add(1, std::memory_order_release);
    if (const auto* info = std::get_if<Decoder::SystemInfo>(&decoded)) {
        MeterIdentity id = meterIdentity(info->productNumber, info->serialNumber, info->hwVer,
                                         info->fwVer, info->buildTime);
        id.kind = info->device;
        id.hwVer = info->hwVer;
        id.fwVer = info->fwVer;
        Q_EMIT identified(id);
    } else if (const auto* record = std::get_if<Measurement>(&decoded)) {
        Q_EMIT recordDecoded(*record);
    } else if (const auto* half = std::get_if<Decoder::HalfArrived>(&decoded)) {
        Q_EMIT halfArrived(half->count, half->flag);
    }
}

void SerialComm::dispose(SerialComm* comm, QObject* receiver)
{
    if (!comm)
        return;
    disconnect(comm, nullptr, receiver, nullptr);
    comm->stop();
    // The port may be closed only once the receiver's last read has returned; the loop ends
    // within one short read.
    comm->wait();
    QCoreApplication::removePostedEvents(receiver, QEvent::MetaCall);
    delete comm;
}

void SerialComm::takeOver()
{
    handovers.load(std::memory_order_acquire);
}
