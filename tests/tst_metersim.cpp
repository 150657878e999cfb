#include "metersim.h"
#include "testsupport.h"

#include <QDeadlineTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

// The simulated meter seen from outside, as the application sees it: a process that names a
// pseudo-terminal and answers request bytes written to it.
namespace {

constexpr int kWaitMs = 5000;

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

QByteArray sysInfoRequest()
{
    return bytes({0x02, 0x11, 0x00, 0x05, 0x03, 0x00, 0x00});
}

QByteArray dataRequest(int index)
{
    return bytes({0x02, 0x21, 0x00, 0x07, index >> 8, index & 0xFF, 0x03, 0x00, 0x00});
}

QByteArray data96Request(int index, int half)
{
    return bytes({0x02, 0x21, 0x00, 0x08, index >> 8, index & 0xFF, half, 0x03, 0x00, 0x00});
}

int u8(const QByteArray& b, int i)
{
    return quint8(b.at(i));
}

int be16(const QByteArray& b, int i)
{
    return u8(b, i) << 8 | u8(b, i + 1);
}

qint16 le16(const QByteArray& b, int i)
{
    return qint16(u8(b, i) | u8(b, i + 1) << 8);
}

quint32 le32(const QByteArray& b, int i)
{
    return quint32(u8(b, i)) | quint32(u8(b, i + 1)) << 8 | quint32(u8(b, i + 2)) << 16
        | quint32(u8(b, i + 3)) << 24;
}

// The documented generator, written out again here so that the sim is held to its README.
qint16 generatedPower(int r, int c)
{
    if ((7 * r + c) % 13 == 0)
        return qint16(100 + 10 * (c % 10));
    return qint16(-((100 * r + 37 * c + 250) % 6000) - 500);
}

quint32 generatedDate(int r)
{
    return TestSupport::dateWord(2026, 3, uint(1 + r % 28));
}

quint32 generatedTime(int r)
{
    return TestSupport::timeWord(10, uint(r % 60), uint((13 * r) % 60));
}

QByteArray zeroTerminated(const QByteArray& b, int offset, int maxLength)
{
    const QByteArray field = b.mid(offset, maxLength);
    const int end = int(field.indexOf('\0'));
    return end < 0 ? field : field.left(end);
}

// The meter process plus the application's end of its pseudo-terminal, opened raw.
class Sim {
public:
    ~Sim()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    bool start(const QStringList& args)
    {
        if (!m_meter.start(args) || !m_meter.pty().startsWith(QLatin1String("/dev/")))
            return false;
        m_path = m_meter.pty();
        return openPort();
    }

    // Ends the meter; true when it ended by itself with exit code 0.
    bool stop() { return m_meter.stop() && m_meter.exitedCleanly(); }

    bool openPort()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = ::open(qPrintable(m_path), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios tio{};
        if (m_fd < 0 || ::tcgetattr(m_fd, &tio) != 0)
            return false;
        ::cfmakeraw(&tio);
        return ::tcsetattr(m_fd, TCSANOW, &tio) == 0;
    }

    void closePort()
    {
        ::close(m_fd);
        m_fd = -1;
    }

    bool send(const QByteArray& request)
    {
        return ::write(m_fd, request.constData(), size_t(request.size())) == request.size();
    }

    // Exactly n bytes, or fewer when the meter stops sending before the deadline.
    QByteArray read(int n)
    {
        QByteArray out;
        QDeadlineTimer deadline(kWaitMs);
        while (out.size() < n && !deadline.hasExpired()) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, int(deadline.remainingTime())) <= 0)
                continue;
            char buffer[512];
            const ssize_t got = ::read(m_fd, buffer, size_t(std::min<qsizetype>(sizeof buffer, n - out.size())));
            if (got > 0)
                out.append(buffer, int(got));
        }
        return out;
    }

    // One answer frame: L + 2 bytes, or L + 1 for a meter that sends one trailing byte less.
    QByteArray readFrame(int trailing = 2)
    {
        QByteArray head = read(4);
        if (head.size() < 4)
            return head;
        return head + read(be16(head, 2) + trailing - 4);
    }

    QByteArray ask(const QByteArray& request, int trailing = 2)
    {
        return send(request) ? readFrame(trailing) : QByteArray();
    }

    QStringList lines() { return m_meter.lines(); }

    QString path() const { return m_path; }

private:
    MeterSim m_meter;
    QString m_path;
    int m_fd = -1;
};

} // namespace

class TestMeterSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("VELUMIN_METER_SIM"))
            QSKIP("VELUMIN_METER_SIM is not set");
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0)
            QSKIP("no pseudo-terminals here");
        ::close(master);
        // The port map must never be the user's own.
        if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME")) {
            QVERIFY(m_config.isValid());
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        }
    }

    void sysInfoLayout_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("product");
        QTest::addColumn<QByteArray>("serial");
        QTest::addColumn<QByteArray>("hw");
        QTest::addColumn<QByteArray>("fw");
        QTest::addColumn<QByteArray>("build");
        QTest::addColumn<bool>("serialAt17");
        QTest::addColumn<int>("trailing");

        QTest::newRow("defaults, CWDM18 fw 3.7.4")
            << QStringList() << QByteArray("Ruvo730") << QByteArray("RV7300123")
            << bytes({10, 2, 1, 0}) << bytes({4, 7, 3, 0}) << QByteArray("2026-03-14 10:22:31")
            << true << 2;
        QTest::newRow("fw 3.7.0 short product")
            << QStringList{"--fw", "3.7.0", "--product", "PM12", "--serial", "S-1"}
            << QByteArray("PM12") << QByteArray("S-1") << bytes({10, 2, 1, 0})
            << bytes({0, 7, 3, 0}) << QByteArray("2026-03-14 10:22:31") << true << 2;
        QTest::newRow("fw 3.6.9 separators only")
            << QStringList{"--fw", "3.6.9", "--hw", "2.0.1", "--build", "b1"}
            << QByteArray("Ruvo730") << QByteArray("RV7300123") << bytes({1, 0, 2, 0})
            << bytes({9, 6, 3, 0}) << QByteArray("b1") << false << 2;
        QTest::newRow("DWDM48 twelve-character product")
            << QStringList{"--kind", "2", "--product", "Ruvo720ABCDE"} << QByteArray("Ruvo720ABCDE")
            << QByteArray("RV7300123") << bytes({10, 2, 1, 0}) << bytes({0, 2, 2, 0})
            << QByteArray("2026-03-14 10:22:31") << false << 2;
        QTest::newRow("one trailing byte")
            << QStringList{"--l1"} << QByteArray("Ruvo730") << QByteArray("RV7300123")
            << bytes({10, 2, 1, 0}) << bytes({4, 7, 3, 0}) << QByteArray("2026-03-14 10:22:31")
            << true << 1;
    }

    void sysInfoLayout()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, product);
        QFETCH(QByteArray, serial);
        QFETCH(QByteArray, hw);
        QFETCH(QByteArray, fw);
        QFETCH(QByteArray, build);
        QFETCH(bool, serialAt17);
        QFETCH(int, trailing);

        Sim sim;
        QVERIFY(sim.start(args));
        const QByteArray f = sim.ask(sysInfoRequest(), trailing);
        const int n = int(f.size());
        QVERIFY(n >= 40);
        QCOMPARE(u8(f, 0), 0x02);
        QCOMPARE(u8(f, 1), 0x12);
        QCOMPARE(be16(f, 2), n - trailing);
        QCOMPARE(u8(f, n - 3), 0x03);
        QCOMPARE(f.right(2), bytes({0, 0}));
        QCOMPARE(f.mid(n - 35, 4), hw);
        QCOMPARE(f.mid(n - 31, 4), fw);
        QCOMPARE(zeroTerminated(f, n - 27, 24), build);
        QCOMPARE(zeroTerminated(f, 4, 20), product);

        // The serial number starts at the first byte that follows a separator.
        int serialStart = 0;
        bool separatorSeen = false;
        for (int i = 4; i < be16(f, 2) - 1 && serialStart == 0; ++i) {
            if (u8(f, i) == 0x00 || u8(f, i) == 0xFF)
                separatorSeen = true;
            else if (separatorSeen)
                serialStart = i;
        }
        QVERIFY(serialStart > 4);
        if (serialAt17)
            QCOMPARE(serialStart, 17);
        QCOMPARE(f.mid(serialStart, n - 35 - serialStart), serial);
    }

    void recordFrame_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("powerCount");
        QTest::addColumn<int>("datePos");
        QTest::addColumn<int>("namePos");
        QTest::addColumn<int>("int32Pos");
        QTest::addColumn<int>("modePos");

        auto row = [](const char* name, const QStringList& args, int length, int powers, int date,
                      int namePos, int int32Pos = -1, int modePos = -1) {
            QTest::newRow(name) << args << length << powers << date << namePos << int32Pos
                                << modePos;
        };
        row("CWDM18 fw 3.7.4", {"--kind", "1"}, 89, 18, 64, 72);
        row("CWDM18 fw 3.7.3", {"--kind", "1", "--fw", "3.7.3"}, 69, 18, 44, 52);
        row("DWDM48 fw 2.1.0", {"--kind", "2", "--fw", "2.1.0"}, 113, 48, 104, -1);
        row("DWDM48 fw 2.2.0", {"--kind", "2", "--fw", "2.2.0"}, 177, 48, 152, 160);
        row("DWDM48Big", {"--kind", "2", "--dwdm48-big"}, 0xC9, 50, 164, 172, 108);
        row("Vendral8 hw 3.0.1 fw 1.2.8", {"--kind", "3"}, 45, 6, 20, 28);
        row("Vendral8 hw 3.0.1 fw 1.2.7", {"--kind", "3", "--fw", "1.2.7"}, 29, 6, 20, -1);
        row("Vendral8 hw 3.0.3", {"--kind", "3", "--hw", "3.0.3", "--fw", "1.0.0"}, 45, 6, 20, 28);
        row("Tarnex8 fw 4.0.0", {"--kind", "5", "--fw", "4.0.0"}, 37, 10, 28, -1);
        row("Tarnex8 fw 4.0.1", {"--kind", "5", "--fw", "4.0.1"}, 53, 10, 28, 36);
        row("Tarnex56 fw 1.3.6", {"--kind", "6", "--fw", "1.3.6"}, 185, 56, 176, -1);
        row("Tarnex56 fw 1.3.7", {"--kind", "6", "--fw", "1.3.7"}, 201, 56, 176, 184);
        row("Tarnex56 fw 2.0.0", {"--kind", "6", "--fw", "2.0.0"}, 225, 58, 184, 192, 220);
        row("Tarnex57", {"--kind", "7"}, 225, 58, 184, 192, 220);
        row("Tarnex64", {"--kind", "8"}, 249, 65, 208, 216, 244);
        row("DWDM49TOTAL", {"--kind", "9"}, 189, 50, 164, 172, 108);
        row("MPO12", {"--kind", "10"}, 61, 12, 36, 44, -1, 32);
        row("MPO24", {"--kind", "11"}, 85, 24, 60, 68, -1, 56);
        row("MPO16", {"--kind", "12"}, 69, 16, 44, 52, -1, 40);
        row("MPO32", {"--kind", "13"}, 101, 32, 76, 84, -1, 72);
    }

    void recordFrame()
    {
        QFETCH(QStringList, args);
        QFETCH(int, length);
        QFETCH(int, powerCount);
        QFETCH(int, datePos);
        QFETCH(int, namePos);
        QFETCH(int, int32Pos);
        QFETCH(int, modePos);
        const int r = 1;

        Sim sim;
        QVERIFY(sim.start(args));
        const QByteArray f = sim.ask(dataRequest(r));
        QCOMPARE(int(f.size()), length + 2);
        QVERIFY(f.size() <= 255);
        QCOMPARE(u8(f, 0), 0x02);
        QCOMPARE(u8(f, 1), 0x22);
        QCOMPARE(be16(f, 2), length);
        QCOMPARE(u8(f, length - 1), 0x03);
        QCOMPARE(f.right(2), bytes({0, 0}));
        QCOMPARE(be16(f, 4), 5);
        QCOMPARE(be16(f, 6), r);
        for (int c = 0; c < powerCount; ++c)
            QCOMPARE(le16(f, 8 + 2 * c), generatedPower(r, c));
        QCOMPARE(le32(f, datePos), generatedDate(r));
        QCOMPARE(le32(f, datePos + 4), generatedTime(r));
        if (namePos >= 0)
            QCOMPARE(f.mid(namePos, 16), QByteArray("REC-1").leftJustified(16, '\0'));
        if (int32Pos >= 0)
            QCOMPARE(le32(f, int32Pos), 1u);
        if (modePos >= 0) {
            QCOMPARE(le16(f, modePos), qint16(2));
            QCOMPARE(le16(f, modePos + 2), qint16(1));
        }
    }

    void dwdm96Halves()
    {
        Sim sim;
        QVERIFY(sim.start({"--kind", "4", "--records", "3"}));
        QByteArray image;
        for (int half = 0; half < 2; ++half) {
            const QByteArray f = sim.ask(data96Request(1, half));
            QCOMPARE(int(f.size()), 174);
            QCOMPARE(be16(f, 2), 172);
            QCOMPARE(u8(f, 171), 0x03);
            QCOMPARE(be16(f, 4), 3);
            QCOMPARE(be16(f, 6), 1);
            QCOMPARE(u8(f, 8), half);
            image += f.mid(9, 162);
        }
        for (int c = 0; c < 96; ++c)
            QCOMPARE(le16(image, 2 * c), generatedPower(1, c));
        QCOMPARE(le32(image, 288), generatedDate(1));
        QCOMPARE(le32(image, 292), generatedTime(1));
        QCOMPARE(zeroTerminated(image, 296, 16), QByteArray("REC-1"));
    }

    void unansweredRequests_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("unanswered");
        QTest::newRow("index beyond total") << QStringList{"--records", "2"} << dataRequest(5);
        QTest::newRow("96-channel meter asked for a whole record")
            << QStringList{"--kind", "4", "--records", "2"} << dataRequest(0);
        QTest::newRow("unknown command") << QStringList() << bytes({0x02, 0x55, 0x00, 0x05, 0x03, 0x00, 0x00});
    }

    // The meter answers in order, so the next answer showing up first proves the silence.
    void unansweredRequests()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, unanswered);
        Sim sim;
        QVERIFY(sim.start(args));
        QVERIFY(sim.send(unanswered));
        const QByteArray f = sim.ask(data96Request(1, 0));
        QCOMPARE(u8(f, 1), 0x22);
        QCOMPARE(be16(f, 6), 1);
    }

    void dropEvery()
    {
        Sim sim;
        QVERIFY(sim.start({"--drop-every", "2"}));
        QCOMPARE(u8(sim.ask(sysInfoRequest()), 1), 0x12);
        QVERIFY(sim.send(dataRequest(0)));
        QCOMPARE(be16(sim.ask(dataRequest(1)), 6), 1);
        QVERIFY(sim.send(dataRequest(2)));
        QCOMPARE(be16(sim.ask(dataRequest(3)), 6), 3);
    }

    void oneTrailingByte_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("length");
        QTest::newRow("CWDM18") << QStringList{"--l1"} << 90;
        QTest::newRow("DWDM48Big keeps 0xC9") << QStringList{"--l1", "--kind", "2", "--dwdm48-big"} << 0xC9;
    }

    void oneTrailingByte()
    {
        QFETCH(QStringList, args);
        QFETCH(int, length);
        Sim sim;
        QVERIFY(sim.start(args));
        const QByteArray f = sim.ask(dataRequest(0), 1);
        const int n = int(f.size());
        QCOMPARE(be16(f, 2), length);
        QCOMPARE(n, length + 1);
        QCOMPARE(u8(f, n - 3), 0x03);
        QCOMPARE(f.right(2), bytes({0, 0}));
        QCOMPARE(le16(f, 8), generatedPower(0, 0));
    }

    void doubledAnswer()
    {
        Sim sim;
        QVERIFY(sim.start({"--double"}));
        QVERIFY(sim.send(dataRequest(2)));
        const QByteArray first = sim.readFrame();
        QCOMPARE(be16(first, 6), 2);
        QCOMPARE(sim.readFrame(), first);
    }

    void splitAnswer()
    {
        Sim sim;
        QVERIFY(sim.start({"--split", "--delay", "5"}));
        for (int r = 0; r < 3; ++r) {
            const QByteArray f = sim.ask(dataRequest(r));
            QCOMPARE(int(f.size()), 91);
            QCOMPARE(u8(f, 88), 0x03);
            QCOMPARE(be16(f, 6), r);
        }
    }

    void garbageEveryOtherAnswer()
    {
        Sim sim;
        QVERIFY(sim.start({"--garbage"}));
        QVERIFY(sim.send(dataRequest(0)));
        const QByteArray noise = sim.read(91);
        QCOMPARE(int(noise.size()), 91);
        QVERIFY(u8(noise, 0) != 0x02);
        const QByteArray f = sim.ask(dataRequest(0));
        QCOMPARE(be16(f, 2), 89);
        QCOMPARE(be16(f, 6), 0);
    }

    void totalZero()
    {
        Sim sim;
        QVERIFY(sim.start({"--total0", "--records", "4"}));
        const QByteArray f = sim.ask(dataRequest(3));
        QCOMPARE(be16(f, 4), 0);
        QCOMPARE(be16(f, 6), 3);
    }

    void recordsFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath("records.json"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"({"records":[{"powers":[-1234,567],"date":"2025-12-31","time":"23:59:58",)"
                   R"("name":"A1","mode":1310,"polar":1},{}]})");
        file.close();

        Sim sim;
        QVERIFY(sim.start({"--kind", "10", "--records-file", file.fileName()}));
        const QByteArray f = sim.ask(dataRequest(0));
        QCOMPARE(be16(f, 4), 2);
        QCOMPARE(le16(f, 8), qint16(-1234));
        QCOMPARE(le16(f, 10), qint16(567));
        QCOMPARE(le16(f, 12), generatedPower(0, 2));
        QCOMPARE(le16(f, 32), qint16(1310));
        QCOMPARE(le16(f, 34), qint16(1));
        QCOMPARE(le32(f, 36), TestSupport::dateWord(2025, 12, 31));
        QCOMPARE(le32(f, 40), TestSupport::timeWord(23, 59, 58));
        QCOMPARE(zeroTerminated(f, 44, 16), QByteArray("A1"));

        const QByteArray second = sim.ask(dataRequest(1));
        QCOMPARE(le32(second, 36), generatedDate(1));
        QCOMPARE(zeroTerminated(second, 44, 16), QByteArray("REC-1"));
    }

    void survivesReopen()
    {
        Sim sim;
        QVERIFY(sim.start({}));
        QCOMPARE(u8(sim.ask(sysInfoRequest()), 1), 0x12);
        sim.closePort();
        QVERIFY(sim.openPort());
        QCOMPARE(be16(sim.ask(dataRequest(4)), 6), 4);
    }

    void requestLog()
    {
        Sim sim;
        QVERIFY(sim.start({"--silent"}));
        QVERIFY(sim.send(sysInfoRequest()));
        QVERIFY(sim.send(dataRequest(258)));
        QVERIFY(sim.send(data96Request(5, 1)));
        QVERIFY(sim.send(bytes({0x02, 0x55, 0x00, 0x05, 0x03, 0x00, 0x00})));
        QVERIFY(sim.send(bytes({0xAB, 0xCD, 0x03})));
        const QByteArray request = dataRequest(7);
        QVERIFY(sim.send(request.left(3)));
        QVERIFY(sim.send(request.mid(3)));
        const QStringList expected{"PTY " + sim.path(), "REQ sysinfo", "REQ data 258",
                                   "REQ data96 5 1", "REQ unknown 02 55 00 05 03 00 00",
                                   "REQ data 7"};
        QTRY_COMPARE_WITH_TIMEOUT(sim.lines(), expected, kWaitMs);
    }

    void registerPort()
    {
        Sim sim;
        QVERIFY(sim.start({"--register", "COM7"}));
        auto entry = [](const char* key) {
            QSettings map(QSettings::NativeFormat, QSettings::UserScope, "Nuvra", "ports");
            map.sync();
            return map.value(QStringLiteral("COM7/") + QLatin1String(key)).toString();
        };
        QTRY_COMPARE_WITH_TIMEOUT(entry("device"), sim.path(), kWaitMs);
        QCOMPARE(entry("description"), QStringLiteral("STMicroelectronics Virtual COM Port"));
        QVERIFY(sim.stop());
        QCOMPARE(entry("device"), QString());
    }

private:
    QTemporaryDir m_config;
};

QTEST_GUILESS_MAIN(TestMeterSim)
#include "tst_metersim.moc"
