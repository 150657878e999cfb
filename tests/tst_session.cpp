#include "logcapture.h"
#include "metersim.h"
#include "session/metersession.h"
#include "testsupport.h"

#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>

namespace {

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
QByteArray simName(int r)
{
    return r % 3 == 2 ? QByteArray(16, '\0')
                      : QByteArray("REC-" + QByteArray::number(r)).leftJustified(16, '\0');
}

} // namespace

// The meter session end to end: its link on a real QSerialPort, in its own thread, talking to
// the simulated meter over a pseudo-terminal; what it reports arrives in this thread.
class TestSession : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MeterSim> m_sim;
    std::unique_ptr<MeterSession> m_session;

    bool open(const QStringList& simArgs, int devIndex)
    {
        m_sim = std::make_unique<MeterSim>();
        if (!m_sim->start(simArgs))
            return false;
        m_session = std::make_unique<MeterSession>();
        m_session->setRetryIntervalMs(300);
        return m_session->open(m_sim->pty(), devIndex);
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
        m_session.reset();
        m_sim.reset();
    }

    void identity_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<int>("devIndex");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("firmware");
        QTest::addColumn<uint>("fwVer");
        QTest::newRow("CWDM18 defaults") << QStringList{"--kind", "1"} << 1 << 1 << "Ruvo730"
                                         << "V3.7.4" << 0x00030704u;
        QTest::newRow("DWDM48 old firmware")
            << QStringList{"--kind", "2", "--fw", "2.1.0", "--product", "OPM-48"} << 2 << 2
            << "OPM-48" << "V2.1.0" << 0x00020100u;
        QTest::newRow("index 3 is DWDM96") << QStringList{"--kind", "4"} << 3 << 4 << "Ruvo730"
                                           << "V1.0.0" << 0x00010000u;
        QTest::newRow("index 0 is no kind") << QStringList{"--kind", "1"} << 0 << 0 << "Ruvo730"
                                            << "V3.7.4" << 0x00030704u;
        QTest::newRow("split over two writes") << QStringList{"--kind", "1", "--split"} << 1 << 1
                                               << "Ruvo730" << "V3.7.4" << 0x00030704u;
        QTest::newRow("length one more") << QStringList{"--kind", "1", "--l1"} << 1 << 1
                                         << "Ruvo730" << "V3.7.4" << 0x00030704u;
        // The first answer is garbage and dropped; the retry a second later is answered.
        QTest::newRow("garbled answer") << QStringList{"--kind", "1", "--garbage"} << 1 << 1
                                        << "Ruvo730" << "V3.7.4" << 0x00030704u;
    }
    void identity()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(int, devIndex);
        QVERIFY(open(simArgs, devIndex));
        QSignalSpy identified(m_session.get(), &MeterSession::identified);
        QVERIFY(identified.wait(5000));
        const auto id = identified.first().first().value<MeterIdentity>();
        QTEST(id.kind, "kind");
        QTEST(id.product, "product");
        QCOMPARE(id.serial, QString("RV7300123"));
        QTEST(id.firmware, "firmware");
        QTEST(id.fwVer, "fwVer");
        // Once it has answered, the meter is asked no more.
        QTest::qWait(MeterSession::IdentityRetryMs + 300);
        QCOMPARE(identified.size(), 1);
        QCOMPARE(m_sim->requests().count("sysinfo"), simArgs.contains("--garbage") ? 2 : 1);
    }

    // Every kind downloads through the session: record 1 as the meter's own encoder wrote it,
    // asked for after record 0.
    void downloadOfEachKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("extraArgs");
        QTest::addColumn<int>("values");   // readings on the wire
        QTest::addColumn<int>("onOffAt");  // frame offset of the on/off flags, -1 none
        QTest::addColumn<int>("onOffSize");
        QTest::addColumn<int>("totalIndex");
        QTest::newRow("CWDM18") << 1 << QStringList() << 18 << -1 << 0 << 0;
        QTest::newRow("CWDM18 fw 3.7.3") << 1 << QStringList{"--fw", "3.7.3"} << 18 << -1 << 0 << 0;
        QTest::newRow("DWDM48") << 2 << QStringList() << 48 << -1 << 0 << NoTotal;
        QTest::newRow("DWDM48 flagged") << 2 << QStringList{"--dwdm48-big"} << 50 << 112 << 52 << 1;
        QTest::newRow("Vendral8") << 3 << QStringList() << 5 << -1 << 0 << 0;
        QTest::newRow("DWDM96") << 4 << QStringList() << 96 << -1 << 0 << 0;
        QTest::newRow("Tarnex8") << 5 << QStringList() << 10 << -1 << 0 << 0;
        QTest::newRow("Tarnex56") << 6 << QStringList() << 58 << 124 << 60 << 1;
        QTest::newRow("Tarnex56 fw 1.3.7") << 6 << QStringList{"--fw", "1.3.7"} << 56 << -1 << 60
                                           << NoTotal;
        QTest::newRow("Tarnex57") << 7 << QStringList() << 58 << 124 << 60 << 1;
        QTest::newRow("Tarnex64") << 8 << QStringList() << 65 << 124 << 68 << 1;
        QTest::newRow("DWDM49TOTAL") << 9 << QStringList() << 50 << 112 << 52 << 1;
        QTest::newRow("MPO12") << 10 << QStringList() << 12 << -1 << 0 << 0;
        QTest::newRow("MPO24") << 11 << QStringList() << 24 << -1 << 0 << 0;
        QTest::newRow("MPO16") << 12 << QStringList() << 16 << -1 << 0 << 0;
        QTest::newRow("MPO32") << 13 << QStringList() << 32 << -1 << 0 << 0;
    }
    void downloadOfEachKind()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, extraArgs);
        QFETCH(int, values);
        QFETCH(int, onOffAt);
        QFETCH(int, onOffSize);
        QVERIFY(open(QStringList{"--kind", QString::number(kind), "--records", "2"} + extraArgs,
                     TestSupport::deviceIndexFor(kind)));
        QSignalSpy identified(m_session.get(), &MeterSession::identified);
        QSignalSpy stored(m_session.get(), &MeterSession::recordStored);
        QSignalSpy downloaded(m_session.get(), &MeterSession::downloaded);
        QVERIFY(identified.wait(5000));
        m_session->startDownload();
        QVERIFY(downloaded.wait(5000));
        QCOMPARE(stored.size(), 2);
        const auto m = stored.at(1).first().value<Measurement>();
        QCOMPARE(m.code(), kind);
        QCOMPARE(m.index, 1);
        QCOMPARE(m.total, 2);
        QCOMPARE(m.readings.size(), kindInfo(kind)->stored);
        for (int c = 0; c < m.readings.size(); ++c)
            QCOMPARE(m.readings[c], c < values ? simPower(1, c) : FillerHundredths);
        QCOMPARE(m.dateWord, TestSupport::dateWord(2026, 3, 2));
        QCOMPARE(m.timeWord, TestSupport::timeWord(10, 1, 13));
        QCOMPARE(m.name, simName(1));
        QCOMPARE(m.onOff.size(), onOffSize);
        // Where the flags overlap the readings, they hold the readings' bytes instead.
        for (int i = 0; i < onOffSize && onOffAt >= 0; ++i) {
            if (onOffAt + i >= 8 + 2 * values)
                QCOMPARE(quint8(m.onOff.at(i)), simOnOff(1, i));
        }
        QTEST(m.totalIndex, "totalIndex");
        if (m.kind->isMpo) {
            QCOMPARE(m.mode, quint16(2));
            QCOMPARE(m.polar, quint16(1));
        }
        const QStringList expected = m.kind->requestsHalves
                                         ? QStringList{"sysinfo", "data96 0 0", "data96 0 1",
                                                       "data96 1 0", "data96 1 1"}
                                         : QStringList{"sysinfo", "data 0", "data 1"};
        QCOMPARE(m_sim->requests(), expected);
        QCOMPARE(m_session->download().recordCount(kind), 2);
    }

    // Requests go out in order, each as one frame.
    void requestsInOrder()
    {
        QVERIFY(open({"--kind", "10", "--records", "300", "--silent"}, 10));
        m_session->sendData(0);
        m_session->sendData(258);
        m_session->sendData96(2, 0);
        const QStringList expected{"sysinfo", "data 0", "data 258", "data96 2 0"};
        QTRY_COMPARE(m_sim->requests(), expected);
    }

    // A lost answer is asked for again; a meter that answers its identity but none of the
    // requests for records is suspected of being of another kind, once.
    void retries_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<int>("devIndex");
        QTest::addColumn<bool>("completes");
        QTest::newRow("every 3rd answer lost")
            << QStringList{"--kind", "1", "--records", "6", "--drop-every", "3"} << 1 << true;
        QTest::newRow("wrong kind") << QStringList{"--kind", "1", "--records", "6"} << 2 << false;
    }
    void retries()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(int, devIndex);
        QFETCH(bool, completes);
        QVERIFY(open(simArgs, devIndex));
        QSignalSpy identified(m_session.get(), &MeterSession::identified);
        QSignalSpy downloaded(m_session.get(), &MeterSession::downloaded);
        QSignalSpy wrongKind(m_session.get(), &MeterSession::wrongKindSuspected);
        QVERIFY(identified.wait(5000) || identified.size() == 1);
        m_session->startDownload();
        if (completes) {
            QVERIFY(downloaded.wait(10000));
            QCOMPARE(m_session->download().storedCount(), 6);
            QCOMPARE(wrongKind.size(), 0);
        } else {
            QVERIFY(wrongKind.wait(10000));
            QTest::qWait(4 * m_session->retryIntervalMs());
            QCOMPARE(wrongKind.size(), 1);
            QCOMPARE(downloaded.size(), 0);
        }
    }

    // When the meter goes away the session says so once and closes; the port can be opened
    // again, as by a meter plugged in again.
    void meterGone()
    {
        QVERIFY(open({"--kind", "1"}, 1));
        QSignalSpy identified(m_session.get(), &MeterSession::identified);
        QVERIFY(identified.wait(5000));
        QSignalSpy lost(m_session.get(), &MeterSession::portLost);
        QVERIFY(m_sim->stop());
        m_session->sendData(0);
        QVERIFY(lost.wait(5000));
        QTest::qWait(300);
        QCOMPARE(lost.size(), 1);
        QCOMPARE(lost.first().first().toBool(), false);
        QVERIFY(!m_session->isOpen());
        QCOMPARE(LogCapture::count("serial port lost:"), 1);
    }

    // Closing hands the port back at once: the same port opens again.
    void closeAndOpenAgain()
    {
        QVERIFY(open({"--kind", "1", "--silent"}, 1));
        const QString pty = m_sim->pty();
        m_session->close();
        QVERIFY(!m_session->isOpen());
        QVERIFY(m_session->open(pty, 1));
        QTRY_COMPARE(m_sim->requests(), (QStringList{"sysinfo", "sysinfo"}));
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
