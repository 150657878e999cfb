#include "session/meterlink.h"

#include "data/logging.h"
#include "device/serialport.h"

#include <QThread>

#include <atomic>

namespace {

std::atomic<unsigned> handovers{0};

} // namespace

void MeterLink::publish()
{
    handovers.fetch_add(1, std::memory_order_release);
}

void MeterLink::takeDelivery()
{
    handovers.load(std::memory_order_acquire);
}

MeterLink::MeterLink(int deviceSelectionIndex)
    : m_quiet(this)
    , m_longest(this)
    , m_pause(this)
{
    m_state.devIndex = deviceSelectionIndex;
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(QuietMs);
    m_longest.setSingleShot(true);
    m_longest.setInterval(MaxReadMs);
    connect(&m_quiet, &QTimer::timeout, this, &MeterLink::endRead);
    connect(&m_longest, &QTimer::timeout, this, &MeterLink::endRead);
    m_pause.setSingleShot(true);
    m_pause.setInterval(PauseAfterFrameMs);
    connect(&m_pause, &QTimer::timeout, this, &MeterLink::bytesArrived);
}

MeterLink::~MeterLink()
{
    closePort();
}

// Calls from the session's thread reach the link's by name: Qt then builds and frees the queued
// call inside QtCore, and what travels with it goes through the members above.
bool MeterLink::open(const QString& path, QSerialPort::SerialPortError* error, QString* errorText)
{
    m_path = path;
    publish();
    QMetaObject::invokeMethod(this, "openInThread", Qt::BlockingQueuedConnection);
    takeDelivery();
    *error = m_openError;
    *errorText = m_openErrorText;
    return m_opened;
}

void MeterLink::post(const QByteArray& frame)
{
    {
        std::lock_guard<std::mutex> lock(m_outboxMutex);
        m_outbox.append(frame);
    }
    QMetaObject::invokeMethod(this, "writePosted", Qt::QueuedConnection);
}

void MeterLink::close()
{
    m_home = QThread::currentThread();
    publish();
    QMetaObject::invokeMethod(this, "closeInThread", Qt::BlockingQueuedConnection);
    takeDelivery();
}

void MeterLink::openInThread()
{
    takeDelivery();
    closePort();
    m_port = new QSerialPort(m_path, this);
    m_opened = SerialLine::openLine(*m_port);
    if (!m_opened) {
        m_openError = m_port->error();
        m_openErrorText = m_port->errorString();
        qCDebug(lcLink).noquote() << "open" << m_path << "failed:" << m_openErrorText;
        delete m_port;
        m_port = nullptr;
        publish();
        return;
    }
    qCDebug(lcLink).noquote() << QStringLiteral("is open: %1").arg(m_port->isOpen() ? 1 : 0);
    qCDebug(lcLink) << "start recv data";
    m_errorLogged = false;
    connect(m_port, &QSerialPort::readyRead, this, &MeterLink::bytesArrived);
    connect(m_port, &QSerialPort::errorOccurred, this, &MeterLink::failed);
    publish();
}

void MeterLink::writePosted()
{
    QList<QByteArray> frames;
    {
        std::lock_guard<std::mutex> lock(m_outboxMutex);
        frames.swap(m_outbox);
    }
    for (const QByteArray& frame : frames) {
        if (m_port && m_port->write(frame) != frame.size())
            qCWarning(lcLink).noquote() << "writing a request failed:" << m_port->errorString();
    }
}

void MeterLink::closeInThread()
{
    takeDelivery();
    closePort();
    moveToThread(m_home);
    publish();
}

void MeterLink::closePort()
{
    if (!m_port)
        return;
    m_quiet.stop();
    m_longest.stop();
    m_pause.stop();
    m_read.clear();
    m_port->disconnect(this);
    m_port->close();
    qCDebug(lcLink) << "Stop recv data";
    qCDebug(lcLink).noquote() << QStringLiteral("is open: %1").arg(m_port->isOpen() ? 1 : 0);
    delete m_port;
    m_port = nullptr;
}

void MeterLink::bytesArrived()
{
    if (m_pause.isActive())
        return;
    while (m_port && m_port->bytesAvailable() > 0 && !m_pause.isActive()) {
        if (m_read.isEmpty())
            m_longest.start();
        m_read += m_port->read(MaxRead - m_read.size());
        // A full read ends at once; what follows it begins the next one.
        if (m_read.size() >= MaxRead)
            endRead();
    }
    if (m_read.isEmpty())
        return;
    if (Decoder::acceptFrame(m_read))
        endRead();
    else
        m_quiet.start();
}

void MeterLink::endRead()
{
    m_quiet.stop();
    m_longest.stop();
    const QByteArray read = m_read;
    m_read.clear();
    if (!Decoder::acceptFrame(read))
        return;
    m_pause.start();
    const Decoder::Decoded decoded = Decoder::decodeFrame(read, m_state);
    publish();
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

void MeterLink::failed(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || !m_port)
        return;
    // Unplugged: the driver says so (a pseudo-terminal whose meter ended fails every read), and
    // the port is of no further use; kept open, it would report the failure again and again.
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError) {
        qCDebug(lcLink).noquote() << "serial port lost:" << m_port->errorString();
        closePort();
        publish();
        Q_EMIT portLost();
        return;
    }
    // Anything else is said once per connection, not once per request.
    if (!m_errorLogged)
        qCWarning(lcLink).noquote() << "serial port error:" << error << m_port->errorString();
    m_errorLogged = true;
    m_port->clearError();
}
