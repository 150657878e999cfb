#include "session/metersession.h"

#include "data/logging.h"
#include "protocol/frames.h"
#include "session/meterlink.h"

#include <QCoreApplication>
#include <QThread>


MeterSession::MeterSession(QObject* parent)
    : QObject(parent)
{
    m_identityRetry.setInterval(IdentityRetryMs);
    connect(&m_identityRetry, &QTimer::timeout, this, &MeterSession::sendSystemInfo);
    m_retry.setInterval(Retrieval::RetryIntervalMs);
    connect(&m_retry, &QTimer::timeout, this, &MeterSession::retryTick);
}

MeterSession::~MeterSession()
{
    close();
}

bool MeterSession::open(const QString& path, int deviceIndex, QSerialPort::SerialPortError* error,
                        QString* errorText)
{
    close();
    m_deviceIndex = deviceIndex;
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("meter link"));
    auto* link = new MeterLink(deviceIndex);
    link->moveToThread(m_thread);
    m_thread->start();
    m_link = link;
    QSerialPort::SerialPortError why = QSerialPort::NoError;
    QString text;
    // Opening takes a moment; waiting for it keeps "open failed" a plain answer.
    if (!link->open(path, &why, &text)) {
        close();
        if (error)
            *error = why;
        if (errorText)
            *errorText = text;
        return false;
    }
    connect(link, &MeterLink::identified, this, [this](const MeterIdentity& identity) {
        MeterLink::takeDelivery();
        m_identityRetry.stop();
        Q_EMIT identified(identity);
    });
    connect(link, &MeterLink::recordDecoded, this, [this](const Measurement& record) {
        MeterLink::takeDelivery();
        take(record);
    });
    connect(link, &MeterLink::halfArrived, this,
            [this](int count, quint8 flag) { send(m_download.firstHalfArrived(count, flag)); });
    connect(link, &MeterLink::portLost, this, &MeterSession::linkLost);
    sendSystemInfo();
    m_identityRetry.start();
    return true;
}

void MeterSession::close()
{
    m_identityRetry.stop();
    stopDownload();
    if (!m_link)
        return;
    MeterLink* link = m_link;
    link->close();
    m_link = nullptr;
    // What it queued for this session before it closed belongs to the link that is going away;
    // the session takes nothing else by queued calls.
    link->disconnect(this);
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    delete link;
}

void MeterSession::startDownload()
{
    qCDebug(lcSession).noquote() << "# Get Data";
    const KindInfo* kind = kindForDeviceIndex(m_deviceIndex);
    // A retrieval that is still running gives way: only the newest may ask again.
    const Retrieval::Request first = m_download.start(kind && kind->requestsHalves);
    m_retry.start();
    send(first);
}

void MeterSession::stopDownload()
{
    const bool getting = m_download.getting();
    m_download.stop();
    m_retry.stop();
    if (getting)
        Q_EMIT stopped();
}

void MeterSession::take(const Measurement& record)
{
    const Download::Taken taken = m_download.take(record);
    if (taken.first)
        Q_EMIT listStarted(record.total);
    if (!taken.stored)
        return;
    if (taken.complete)
        m_retry.stop();
    else
        send(taken.next);
    Q_EMIT recordStored(record);
    if (taken.complete)
        Q_EMIT downloaded();
}

void MeterSession::retryTick()
{
    send(m_download.tick());
    if (m_download.wrongKindSuspected())
        Q_EMIT wrongKindSuspected();
}

void MeterSession::send(const Retrieval::Request& request)
{
    if (!request.send)
        return;
    if (request.half96)
        sendData96(request.index, request.half);
    else
        sendData(request.index);
}

void MeterSession::sendSystemInfo()
{
    qCDebug(lcSession).noquote() << "sendSystemInfo()";
    post(Frames::systemInfoRequest());
}

void MeterSession::sendData(int index)
{
    qCDebug(lcSession).noquote() << "Send Data / index:" << index;
    post(Frames::dataRequest(index));
}

void MeterSession::sendData96(int index, quint8 half)
{
    qCDebug(lcSession).noquote() << "Send Data for 96 / index:" << index;
    post(Frames::data96Request(index, half));
}

void MeterSession::post(const QByteArray& frame)
{
    // Without a link there is no meter to ask.
    if (m_link)
        m_link->post(frame);
}

void MeterSession::linkLost()
{
    qCDebug(lcSession).noquote() << "meter disconnected";
    const bool getting = m_download.getting();
    close();
    Q_EMIT portLost(getting);
}
