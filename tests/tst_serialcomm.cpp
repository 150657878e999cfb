#include "device/serialport.h"
#include "logcapture.h"
#include "metersim.h"
#include "protocol/frames.h"
#include "protocol/serialcomm.h"
#include "testsupport.h"

#include <QSerialPort>
#include <QTest>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>
#include <thread>

namespace {

// One report as it reached the test: the signal's name, its arguments, and whether it was
// delivered in the GUI thread.
struct Event {
    QString signal;
    QVariantList args;
    bool inGuiThread = false;
};

// The simulated meter's generator (tools/meter-sim/README.md), record r, channel c.
qint16 simPower(int r, int c)
{
    return qint16((7 * r + c) % 13 == 0 ? 100 + 10 * (c % 10)
                                        : -((100 * r + 37 * c + 250) % 6000) - 500);
}
quint8 simOnOff(int r, int i)
{
    return (i + r) % 9 == 8 ? 0 : 1;
}
uint simDate(int r)
{
    return uint(2026 << 16 | 3 << 8 | (1 + r % 28));
}
uint simTime(int r)
{
    return uint(10 << 16 | (r % 60) << 8 | (13 * r) % 60);
}
QByteArray simName(int r)
{
    return r % 3 == 2 ? QByteArray(16, '\0') : QByteArray("REC-" + QByteArray::number(r)).leftJustified(16, '\0');
}


} // namespace

// The receiver end to end: a SerialComm on a real QSerialPort talking to the simulated meter
// over a pseudo-terminal, its reports arriving in the GUI thread.
class TestSerialComm : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MeterSim> m_sim;
    std::unique_ptr<QSerialPort> m_port;
    std::unique_ptr<SerialComm> m_comm;
    QList<Event> m_events;

    template <typename Signal>
    void record(Signal signal, const QString& name)
    {
        connect(m_comm.get(), signal, this, [this, name](auto... args) {
            m_events.append({name, QVariantList{QVariant::fromValue(args)...},
                             QThread::currentThread() == thread()});
        });
    }

    // Starts the simulated meter and returns its pty path, empty on failure.
    QString startSim(const QStringList& args)
    {
        m_sim = std::make_unique<MeterSim>();
        return m_sim->start(args) ? m_sim->pty() : QString();
    }

    // REQ lines the meter has logged so far.
    QStringList requests() { return m_sim ? m_sim->requests() : QStringList(); }

    // Opens the port, starts a receiver on it and records every report.
    bool connectMeter(const QStringList& simArgs, int devIndex)
    {
        const QString pty = startSim(simArgs);
        if (pty.isEmpty())
            return false;
        m_port = std::make_unique<QSerialPort>(pty);
        if (!SerialLine::openLine(*m_port))
            return false;
        m_comm = std::make_unique<SerialComm>(m_port.get(), devIndex);
        record(&SerialComm::sigRecvedSysInfo, "SysInfo");
        record(&SerialComm::sigRecvedDataCWDM18, "CWDM18");
        record(&SerialComm::sigRecvedDataDWDM48, "DWDM48");
        record(&SerialComm::sigRecvedDataDWDM48Big, "DWDM48Big");
        record(&SerialComm::sigRecvedDataDWDM96, "DWDM96");
        record(&SerialComm::sigRecvedDataVendral8, "Vendral8");
        record(&SerialComm::sigRecvedDataTarnex8, "Tarnex8");
        record(&SerialComm::sigRecvedDataTarnex56, "Tarnex56");
        record(&SerialComm::sigRecvedDataTarnex57, "Tarnex57");
        record(&SerialComm::sigRecvedDataTarnex64, "Tarnex64");
        record(&SerialComm::sigRecvedDataDWDM49TOTAL, "DWDM49TOTAL");
        record(&SerialComm::sigRecvedDataDWDM96Semi, "DWDM96Semi");
        record(&SerialComm::sigRecvedDataMPO12, "MPO12");
        record(&SerialComm::sigRecvedDataMPO24, "MPO24");
        record(&SerialComm::sigRecvedDataMPO16, "MPO16");
        record(&SerialComm::sigRecvedDataMPO32, "MPO32");
        m_comm->start();
        return true;
    }

    QStringList eventNames() const
    {
        QStringList names;
        for (const Event& e : m_events)
            names.append(e.signal);
        return names;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // QTest::qSkip rather than QSKIP, whose empty variadic argument clang flags as pedantic.
        if (MeterSim::binary().isEmpty()) {
            QTest::qSkip("VELUMIN_METER_SIM is not set: no simulated meter", __FILE__, __LINE__);
            return;
        }
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0) {
            QTest::qSkip("no pseudo-terminal can be made here", __FILE__, __LINE__);
            return;
        }
        ::close(master);
        LogCapture::install();
    }

    void cleanupTestCase() { LogCapture::uninstall(); }

    void cleanup()
    {
        if (m_comm) {
            m_comm->stop();
            m_comm->wait();
        }
        m_comm.reset();
        m_port.reset();
        m_sim.reset();
        m_events.clear();
    }

    void systemInfo_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<int>("devIndex");
        QTest::addColumn<int>("device");
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<uint>("hwVer");
        QTest::addColumn<uint>("fwVer");
        QTest::addColumn<QString>("build");
        QTest::newRow("CWDM18 defaults")
            << QStringList{"--kind", "1"} << 1 << 1 << "Ruvo730" << "RV7300123" << 0x0001020Au
            << 0x00030704u << "2026-03-14 10:22:31";
        QTest::newRow("DWDM48 old firmware")
            << QStringList{"--kind", "2", "--fw", "2.1.0", "--hw", "3.4.5", "--product", "OPM-48",
                           "--serial", "SN-48-0001", "--build", "Jan  1 2020"}
            << 2 << 2 << "OPM-48" << "SN-48-0001" << 0x00030405u << 0x00020100u << "Jan  1 2020";
        QTest::newRow("index 3 reports DWDM96")
            << QStringList{"--kind", "4"} << 3 << 4 << "Ruvo730" << "RV7300123" << 0x0001020Au
            << 0x00010000u << "2026-03-14 10:22:31";
        QTest::newRow("index 0 reports no device")
            << QStringList{"--kind", "1"} << 0 << 0 << "Ruvo730" << "RV7300123" << 0x0001020Au
            << 0x00030704u << "2026-03-14 10:22:31";
        QTest::newRow("split over two writes")
            << QStringList{"--kind", "1", "--split"} << 1 << 1 << "Ruvo730" << "RV7300123"
            << 0x0001020Au << 0x00030704u << "2026-03-14 10:22:31";
        QTest::newRow("length one more")
            << QStringList{"--kind", "1", "--l1"} << 1 << 1 << "Ruvo730" << "RV7300123"
            << 0x0001020Au << 0x00030704u << "2026-03-14 10:22:31";
    }
    void systemInfo()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(int, devIndex);
        QFETCH(int, device);
        QVERIFY(connectMeter(simArgs, devIndex));
        m_comm->post(Frames::systemInfoRequest());
        QTRY_COMPARE(m_events.size(), 1);
        const Event e = m_events.first();
        QCOMPARE(e.signal, QString("SysInfo"));
        QVERIFY(e.inGuiThread);
        QCOMPARE(e.args.at(0).toInt(), device);
        QTEST(e.args.at(1).toString(), "product");
        QTEST(e.args.at(2).toString(), "serial");
        QTEST(e.args.at(3).toUInt(), "hwVer");
        QTEST(e.args.at(4).toUInt(), "fwVer");
        QTEST(e.args.at(5).toString(), "build");
        QCOMPARE(requests(), QStringList{"sysinfo"});
    }

    // Record 1 of every kind, from the meter's own encoder, through the receiver.
    void recordOfEachKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("extraArgs");
        QTest::addColumn<QString>("signal");
        QTest::addColumn<int>("values");    // powers on the wire
        QTest::addColumn<int>("entries");   // powers handed on
        QTest::addColumn<int>("onOffAt");   // frame offset of the on/off block, -1 none
        QTest::addColumn<int>("onOffSize");
        QTest::addColumn<int>("lastArg");   // totalIndex / totalWav, -1 where there is none
        QTest::newRow("CWDM18") << 1 << QStringList() << "CWDM18" << 18 << 18 << -1 << 0 << -1;
        QTest::newRow("CWDM18 fw 3.7.3") << 1 << QStringList{"--fw", "3.7.3"} << "CWDM18" << 18
                                         << 18 << -1 << 0 << -1;
        QTest::newRow("DWDM48") << 2 << QStringList() << "DWDM48" << 48 << 50 << -1 << 0 << -1;
        QTest::newRow("DWDM48Big") << 2 << QStringList{"--dwdm48-big"} << "DWDM48Big" << 50 << 50
                                   << 112 << 52 << 1;
        QTest::newRow("Vendral8") << 3 << QStringList() << "Vendral8" << 6 << 6 << -1 << 0 << -1;
        QTest::newRow("Tarnex8") << 5 << QStringList() << "Tarnex8" << 10 << 10 << -1 << 0 << -1;
        QTest::newRow("Tarnex56") << 6 << QStringList() << "Tarnex56" << 58 << 58 << 124 << 60 << 1;
        QTest::newRow("Tarnex56 fw 1.3.7") << 6 << QStringList{"--fw", "1.3.7"} << "Tarnex56"
                                           << 56 << 58 << -1 << 60 << 4;
        QTest::newRow("Tarnex57") << 7 << QStringList() << "Tarnex57" << 58 << 58 << 124 << 60 << 1;
        QTest::newRow("Tarnex64") << 8 << QStringList() << "Tarnex64" << 65 << 65 << 124 << 68 << 1;
        QTest::newRow("DWDM49TOTAL") << 9 << QStringList() << "DWDM49TOTAL" << 50 << 50 << 112
                                     << 52 << 1;
        QTest::newRow("MPO12") << 10 << QStringList() << "MPO12" << 12 << 12 << -1 << 0 << -1;
        QTest::newRow("MPO24") << 11 << QStringList() << "MPO24" << 24 << 24 << -1 << 0 << -1;
        QTest::newRow("MPO16") << 12 << QStringList() << "MPO16" << 16 << 16 << -1 << 0 << -1;
        QTest::newRow("MPO32") << 13 << QStringList() << "MPO32" << 32 << 32 << -1 << 0 << -1;
    }
    void recordOfEachKind()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, extraArgs);
        QFETCH(QString, signal);
        QFETCH(int, values);
        QFETCH(int, entries);
        QFETCH(int, onOffAt);
        QFETCH(int, onOffSize);
        QFETCH(int, lastArg);
        QVERIFY(connectMeter(QStringList{"--kind", QString::number(kind)} + extraArgs,
                             TestSupport::deviceIndexFor(kind)));
        m_comm->post(Frames::systemInfoRequest());
        QTRY_COMPARE(m_events.size(), 1);
        m_comm->post(Frames::dataRequest(1));
        QTRY_COMPARE(m_events.size(), 2);
        const Event e = m_events.at(1);
        QCOMPARE(e.signal, signal);
        QVERIFY(e.inGuiThread);
        QCOMPARE(e.args.at(0).value<ushort>(), ushort(5));
        QCOMPARE(e.args.at(1).value<ushort>(), ushort(1));
        const QVector<qint16> data = e.args.at(2).value<QVector<qint16>>();
        QCOMPARE(data.size(), entries);
        for (int c = 0; c < entries; ++c)
            QCOMPARE(data[c], c < values ? simPower(1, c) : qint16(-9900));

        const bool mpo = kind >= 10;
        const bool withOnOff = onOffSize > 0;
        const int dateArg = mpo ? 5 : withOnOff ? 4 : 3;
        QCOMPARE(e.args.at(dateArg).toUInt(), simDate(1));
        QCOMPARE(e.args.at(dateArg + 1).toUInt(), simTime(1));
        QCOMPARE(e.args.at(dateArg + 2).toByteArray(), simName(1));
        if (mpo) {
            QCOMPARE(e.args.at(3).value<ushort>(), ushort(2));
            QCOMPARE(e.args.at(4).value<ushort>(), ushort(1));
        }
        if (withOnOff) {
            const QByteArray onOff = e.args.at(3).toByteArray();
            QCOMPARE(onOff.size(), onOffSize);
            // Where the block overlaps the powers, it holds their bytes instead.
            const int valuesEnd = 8 + 2 * values;
            for (int i = 0; i < onOffSize && onOffAt >= 0; ++i) {
                if (onOffAt + i >= valuesEnd)
                    QCOMPARE(quint8(onOff.at(i)), simOnOff(1, i));
            }
            QCOMPARE(e.args.at(7).toInt(), lastArg);
        }
        QCOMPARE(requests(), (QStringList{"sysinfo", "data 1"}));
    }

    // A DWDM-96 record comes as two halves; the second half is asked for after the first.
    void dwdm96InHalves()
    {
        QVERIFY(connectMeter({"--kind", "4", "--records", "3"}, 3));
        m_comm->post(Frames::systemInfoRequest());
        QTRY_COMPARE(m_events.size(), 1);
        QCOMPARE(m_events.at(0).args.at(0).toInt(), 4);
        m_comm->post(Frames::data96Request(1, 0));
        QTRY_COMPARE(m_events.size(), 2);
        QCOMPARE(m_events.at(1).signal, QString("DWDM96Semi"));
        QCOMPARE(m_events.at(1).args.at(0).value<ushort>(), ushort(1));
        QCOMPARE(m_events.at(1).args.at(1).value<uchar>(), uchar(1));
        m_comm->post(Frames::data96Request(1, 1));
        QTRY_COMPARE(m_events.size(), 3);
        const Event e = m_events.at(2);
        QCOMPARE(e.signal, QString("DWDM96"));
        QVERIFY(e.inGuiThread);
        QCOMPARE(e.args.at(0).value<ushort>(), ushort(3));
        QCOMPARE(e.args.at(1).value<ushort>(), ushort(1));
        const QVector<qint16> data = e.args.at(2).value<QVector<qint16>>();
        QCOMPARE(data.size(), 96);
        for (int c = 0; c < 96; ++c)
            QCOMPARE(data[c], simPower(1, c));
        QCOMPARE(e.args.at(3).toUInt(), simDate(1));
        QCOMPARE(e.args.at(4).toUInt(), simTime(1));
        QCOMPARE(e.args.at(5).toByteArray(), simName(1));
        QCOMPARE(requests(), (QStringList{"sysinfo", "data96 1 0", "data96 1 1"}));
    }

    // Requests posted back to back reach the meter in order, each as one frame. (Their answers
    // then pile up into shared reads and are dropped, which is why the window sends one request
    // at a time.)
    void requestsInOrder()
    {
        QVERIFY(connectMeter({"--kind", "10", "--records", "300", "--silent"}, 10));
        m_comm->post(Frames::systemInfoRequest());
        m_comm->post(Frames::dataRequest(0));
        m_comm->post(Frames::dataRequest(258));
        m_comm->post(Frames::data96Request(2, 0));
        const QStringList expected{"sysinfo", "data 0", "data 258", "data96 2 0"};
        QTRY_COMPARE(requests(), expected);
    }

    // A garbled answer is dropped; the receiver goes on with the next read.
    void garbledAnswersDropped()
    {
        QVERIFY(connectMeter({"--kind", "1", "--garbage"}, 1));
        m_comm->post(Frames::systemInfoRequest());
        QTRY_COMPARE(requests(), QStringList{"sysinfo"});
        m_comm->post(Frames::systemInfoRequest());
        QTRY_COMPARE(m_events.size(), 1);
        QCOMPARE(m_events.at(0).signal, QString("SysInfo"));
        QCOMPARE(requests().size(), 2);
    }

    // When the meter goes away the reads fail; the loop neither hangs nor floods, ends by
    // itself within about a second and says so once, handing the closed port back.
    void meterGoneEndsTheLoop()
    {
        QVERIFY(connectMeter({"--kind", "1"}, 1));
        m_comm->post(Frames::systemInfoRequest());
        QTRY_COMPARE(m_events.size(), 1);
        const int failuresBefore = LogCapture::count("serial read failed:");
        int lost = 0;
        int finished = 0;
        QObject scope;
        // Queued into this thread: a QSignalSpy would record in the receiver thread.
        connect(m_comm.get(), &SerialComm::sigPortLost, &scope, [&lost] { ++lost; });
        connect(m_comm.get(), &QThread::finished, &scope, [&finished] { ++finished; });
        QVERIFY(m_sim->stop());
        m_comm->post(Frames::dataRequest(0));
        QTRY_COMPARE_WITH_TIMEOUT(finished, 1, 5000);
        QCOMPARE(lost, 1);
        QVERIFY(m_comm->wait());
        QCOMPARE(LogCapture::count("serial read failed:"), failuresBefore + 1);
        QCOMPARE(LogCapture::count("serial port lost:"), 1);
        QCOMPARE(m_port->thread(), QThread::currentThread());
        QVERIFY(!m_port->isOpen());
    }

    // A stop while the meter is silent ends the loop; the stop flag is reset for a restart.
    void stopWhileSilent()
    {
        QVERIFY(connectMeter({"--kind", "1", "--silent"}, 1));
        m_comm->post(Frames::systemInfoRequest());
        QTRY_COMPARE(requests(), QStringList{"sysinfo"});
        const int stops = LogCapture::count("Stop recv data");
        int finished = 0;
        QObject scope;
        connect(m_comm.get(), &QThread::finished, &scope, [&finished] { ++finished; });
        m_comm->stop();
        QTRY_COMPARE(finished, 1);
        QCOMPARE(LogCapture::count("Stop recv data"), stops + 1);
        QVERIFY(m_events.isEmpty());
        QCOMPARE(m_port->thread(), QThread::currentThread());
        QVERIFY(!m_port->isOpen());
    }

    // A line that never goes quiet: a stop asked for between two waits ends the read at once
    // and drops what it holds.
    void stopEndsABabblingRead()
    {
        const QString pty = startSim({"--kind", "1", "--babble", "1"});
        QVERIFY(!pty.isEmpty());
        m_port = std::make_unique<QSerialPort>(pty);
        QVERIFY(SerialLine::openLine(*m_port));
        m_port->write(Frames::systemInfoRequest());
        QVERIFY(m_port->waitForBytesWritten(1000));
        QByteArray read;
        // A read asks only once its first byte is in; until one has, try again.
        int asked = 0;
        auto status = SerialLine::ReadStatus::Data;
        for (QDeadlineTimer deadline(5000); asked == 0 && !deadline.hasExpired();)
            status = SerialLine::readFrame(*m_port, read, nullptr, [&asked] { return ++asked > 0; });
        QCOMPARE(asked, 1);
        QCOMPARE(status, SerialLine::ReadStatus::Nothing);
        QVERIFY(read.isEmpty());
    }

    // The receiver sleeps until the meter's byte or a wake-up from another thread; a wake-up
    // that comes before the wait is not lost.
    void lineWakerWakesFor_data()
    {
        QTest::addColumn<bool>("bytes");
        QTest::newRow("a wake-up") << false;
        QTest::newRow("the meter's answer") << true;
    }
    void lineWakerWakesFor()
    {
        QFETCH(bool, bytes);
        const QString pty = startSim({"--kind", "1"});
        QVERIFY(!pty.isEmpty());
        m_port = std::make_unique<QSerialPort>(pty);
        QVERIFY(SerialLine::openLine(*m_port));
        SerialLine::LineWaker waker;
        if (bytes) {
            m_port->write(Frames::systemInfoRequest());
            QVERIFY(m_port->waitForBytesWritten(1000));
        } else {
            std::thread([&waker] { waker.wake(); }).join();
        }
        QCOMPARE(waker.waitForBytes(*m_port), bytes);
    }

    // A receiver destroyed without ever running still gives the port back.
    void destroyedUnstarted()
    {
        const QString pty = startSim({"--kind", "1"});
        QVERIFY(!pty.isEmpty());
        m_port = std::make_unique<QSerialPort>(pty);
        QVERIFY(SerialLine::openLine(*m_port));
        const int exits = LogCapture::count("exit");
        auto comm = std::make_unique<SerialComm>(m_port.get(), 1);
        QCOMPARE(m_port->thread(), static_cast<QThread*>(comm.get()));
        comm.reset();
        QCOMPARE(LogCapture::count("exit"), exits + 1);
        QCOMPARE(m_port->thread(), QThread::currentThread());
        QVERIFY(!m_port->isOpen());
    }
};

QTEST_GUILESS_MAIN(TestSerialComm)
#include "tst_serialcomm.moc"
