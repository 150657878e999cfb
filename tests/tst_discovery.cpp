#include "device/comports.h"
#include "device/discovery.h"

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QLoggingCategory>
#include <QTest>

Q_DECLARE_METATYPE(SerialDevice)

// Finding the meter's COM port: friendly-name parsing, the Linux COM-name rule and the port map.
class TestDiscovery : public QObject {
    Q_OBJECT

    static void writeMap(const QList<PortMapEntry>& entries)
    {
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Nuvra"),
                        QStringLiteral("ports"));
        store.clear();
        for (const PortMapEntry& e : entries) {
            store.beginGroup(e.comName);
            store.setValue(QStringLiteral("device"), e.device);
            if (!e.description.isEmpty())
                store.setValue(QStringLiteral("description"), e.description);
            store.endGroup();
        }
        store.sync();
    }

private Q_SLOTS:
    // Never touch the user's own port map, even when run outside CTest.
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        // The log lines discovery writes are among what is checked.
        QLoggingCategory::setFilterRules(QStringLiteral("velumin.*.debug=true"));
    }

    void cleanup()
    {
        writeMap({});
        setDeviceListing({});
    }

    void parseNames_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("expected");
        const QString meter = QStringLiteral("STMicroelectronics Virtual COM Port");
        QTest::newRow("meter") << QStringList{meter + " (COM12)"} << 12;
        QTest::newRow("after other devices")
            << QStringList{"Communications Port (COM1)", "USB Input Device", meter + " (COM7)"} << 7;
        QTest::newRow("first of two") << QStringList{meter + " (COM9)", meter + " (COM3)"} << 9;
        QTest::newRow("lower case is no match")
            << QStringList{"stmicroelectronics virtual com port (COM5)"} << -1;
        QTest::newRow("no (COM") << QStringList{meter} << 0;
        QTest::newRow("no (COM then a later match") << QStringList{meter, meter + " (COM4)"} << 0;
        QTest::newRow("above 256") << QStringList{meter + " (COM300)"} << 300;
        QTest::newRow("no devices") << QStringList{} << -1;
        QTest::newRow("junk after number") << QStringList{meter + " (COM12) #2"} << 0;
    }
    void parseNames()
    {
        QFETCH(QStringList, names);
        QFETCH(int, expected);
        QCOMPARE(comNumberFromNames(names), expected);
        setDeviceListing([names] { return std::optional<QStringList>(names); });
        QCOMPARE(findComPort(), expected);
    }

    void listingUnavailable()
    {
        setDeviceListing([] { return std::optional<QStringList>(); });
        QTest::ignoreMessage(QtDebugMsg, "error 1");
        QCOMPARE(findComPort(), -1);
    }

    void rule_data()
    {
        QTest::addColumn<int>("com");
        QTest::addColumn<QString>("path");
        QTest::newRow("COM1") << 1 << "/dev/ttyS0";
        QTest::newRow("COM32") << 32 << "/dev/ttyS31";
        QTest::newRow("COM33") << 33 << "/dev/ttyUSB0";
        QTest::newRow("COM64") << 64 << "/dev/ttyUSB31";
        QTest::newRow("COM65") << 65 << "/dev/ttyACM0";
        QTest::newRow("COM96") << 96 << "/dev/ttyACM31";
        QTest::newRow("COM97") << 97 << "";
        QTest::newRow("COM0") << 0 << "";
    }
    void rule()
    {
        QFETCH(int, com);
        QFETCH(QString, path);
        QCOMPARE(ruleDevicePath(com), path);
        if (!path.isEmpty()) {
            QCOMPARE(ruleComNumber(path), com);
            QCOMPARE(devicePathForPort(QStringLiteral("COM%1").arg(com)), path);
        }
    }

    void ruleRejectsOtherFiles_data()
    {
        QTest::addColumn<QString>("path");
        for (const char* p : {"/dev/ttyS32", "/dev/ttyUSB01", "/dev/ttyACM", "/dev/pts/3",
                              "/dev/ttyUSB-1", "/dev/ttyAMA0"})
            QTest::newRow(p) << QString::fromLatin1(p);
    }
    void ruleRejectsOtherFiles()
    {
        QFETCH(QString, path);
        QCOMPARE(ruleComNumber(path), 0);
    }

    void unknownPortOpensNothing()
    {
        QCOMPARE(devicePathForPort(QStringLiteral("COM200")), QString());
        QCOMPARE(devicePathForPort(QString()), QString());
    }

    void mapOverridesRule()
    {
        QTemporaryDir dir;
        const QString device = dir.filePath(QStringLiteral("meter"));
        QFile(device).open(QIODevice::WriteOnly);
        writeMap({{"COM3", device, "STMicroelectronics Virtual COM Port"}});
        QCOMPARE(devicePathForPort(QStringLiteral("COM3")), device);
        QCOMPARE(devicePathForPort(QStringLiteral("COM4")), QStringLiteral("/dev/ttyS3"));
    }

    // However a group spells its COM name, the listing and the open name the same device; a
    // stale group of another spelling does not hide the one spelt "COM7".
    void mapGroupSpelling_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("staleGroup"); // names a device that is gone; "" for none
        QTest::newRow("canonical") << "COM7" << "";
        QTest::newRow("leading zero") << "COM07" << "";
        QTest::newRow("plus sign") << "COM+7" << "";
        QTest::newRow("stale COM07 beside COM7") << "COM7" << "COM07";
    }
    void mapGroupSpelling()
    {
        QFETCH(QString, group);
        QFETCH(QString, staleGroup);
        QTemporaryDir dir;
        const QString device = dir.filePath(QStringLiteral("meter"));
        QFile(device).open(QIODevice::WriteOnly);
        QList<PortMapEntry> map{{group, device, "STMicroelectronics Virtual COM Port"}};
        if (!staleGroup.isEmpty())
            map.append({staleGroup, dir.filePath(QStringLiteral("gone")), ""});
        writeMap(map);
        const QStringList names = *listSerialDeviceNames();
        QVERIFY2(names.contains("STMicroelectronics Virtual COM Port (COM7)"), qPrintable(names.join('|')));
        QCOMPARE(names.filter("STMicroelectronics").size(), 1);
        QCOMPARE(findComPort(), 7);
        QCOMPARE(devicePathForPort(QStringLiteral("COM7")), device);
        QCOMPARE(devicePathForPort(QStringLiteral("COM07")), device);
    }

    void listingFromMap()
    {
        QTemporaryDir dir;
        const QString present = dir.filePath(QStringLiteral("present"));
        QFile(present).open(QIODevice::WriteOnly);
        writeMap({{"COM7", present, "STMicroelectronics Virtual COM Port"},
                  {"COM8", dir.filePath(QStringLiteral("gone")), "STMicroelectronics Virtual COM Port"},
                  {"COM9", present, ""}});
        const QStringList names = *listSerialDeviceNames();
        QVERIFY2(names.contains("STMicroelectronics Virtual COM Port (COM7)"), qPrintable(names.join('|')));
        QVERIFY(!names.contains("STMicroelectronics Virtual COM Port (COM8)"));
        QVERIFY(names.contains("Serial Port (COM9)"));
        setDeviceListing({});
        QCOMPARE(findComPort(), 7);
    }

    void describesDevices_data()
    {
        QTest::addColumn<SerialDevice>("device");
        QTest::addColumn<QString>("expected");
        QTest::newRow("meter by USB ids")
            << SerialDevice{"/dev/ttyACM0", "STM32 Virtual ComPort", "STMicroelectronics", 0x0483, 0x5740}
            << "STMicroelectronics Virtual COM Port (COM65)";
        QTest::newRow("other USB device")
            << SerialDevice{"/dev/ttyUSB2", "FT232R USB UART", "FTDI", 0x0403, 0x6001}
            << "FT232R USB UART (COM35)";
        QTest::newRow("same vendor, other product")
            << SerialDevice{"/dev/ttyACM1", "", "STMicroelectronics", 0x0483, 0x5741}
            << "STMicroelectronics (COM66)";
        QTest::newRow("built-in port") << SerialDevice{"/dev/ttyS0", "", "", {}, {}} << "Serial Port (COM1)";
        QTest::newRow("outside the rule") << SerialDevice{"/dev/ttyACM40", "x", "", {}, {}} << "";
    }
    void describesDevices()
    {
        QFETCH(SerialDevice, device);
        QFETCH(QString, expected);
        const QStringList names = friendlyNames({device}, {}, [](const QString&) { return true; });
        QCOMPARE(names, expected.isEmpty() ? QStringList() : QStringList{expected});
    }

    void mapEntryNamesAPresentDeviceOnce()
    {
        const SerialDevice meter{"/dev/ttyACM0", "", "", 0x0483, 0x5740};
        const QStringList names = friendlyNames(
            {meter}, {{"COM12", "/dev/ttyACM0", ""}}, [](const QString&) { return true; });
        QCOMPARE(names, QStringList{"STMicroelectronics Virtual COM Port (COM12)"});
    }
};

QTEST_GUILESS_MAIN(TestDiscovery)
#include "tst_discovery.moc"
