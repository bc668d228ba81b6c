// SPDX-License-Identifier: GPL-3.0-or-later
// The window-free parts of finding the modem: the order of the rates, what a
// scan reports, the serial devices' names, the port map's stand-ins, and the
// comparison after a Set.
#include "modem/modemconfig.h"
#include "modem/modemscan.h"
#include "serial/portmap.h"
#include "serial/serialdevices.h"
#include "settings/settingsstore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Difference = ModemConfig::Difference;
using Result = ModemScan::Outcome::Result;

namespace {
const QStringList kRates{"2400",  "4800",  "9600",  "14400",  "19200",
                         "28800", "38400", "56000", "128000", "256000"};

QString packet(std::initializer_list<int> bytes)
{
    QString text;
    for (const int byte : bytes)
        text.append(QChar(static_cast<char16_t>(byte)));
    return text;
}

ModemConfig fromPacket(const QString &packet)
{
    ModemConfig::Bytes bytes{};
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<quint8>(packet.at(static_cast<qsizetype>(i)).unicode());
    return ModemConfig(bytes);
}

ModemConfig::Texts texts(const QStringList &list)
{
    ModemConfig::Texts result;
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = list.at(static_cast<qsizetype>(i));
    return result;
}
} // namespace

class ModemScanTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rateOrder_data();
    void rateOrder();
    void describe_data();
    void describe();
    void differences_data();
    void differences();
    void summary_data();
    void summary();
#ifndef Q_OS_WIN
    // Stable links to devices are a Linux folder of symbolic links.
    void linkTo();
#endif
    void portLineOfAMissingDevice();
    void standInsGoAheadOfTheStore();
};

void ModemScanTest::rateOrder_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("order");

    QTest::newRow("38400 shown") << "38400"
                                 << QStringList{"38400", "9600",  "19200", "2400",   "4800",
                                                "14400", "28800", "56000", "128000", "256000"};
    QTest::newRow("a rare rate shown")
        << " 128000 " << QStringList{"128000", "38400", "9600",  "19200", "2400",
                                     "4800",   "14400", "28800", "56000", "256000"};
    QTest::newRow("nothing shown")
        << "" << QStringList{"38400", "9600",  "19200", "2400",   "4800",
                             "14400", "28800", "56000", "128000", "256000"};
    // A rate the list does not hold is not tried.
    QTest::newRow("a rate not listed")
        << "115200" << QStringList{"38400", "9600",  "19200", "2400",   "4800",
                                   "14400", "28800", "56000", "128000", "256000"};
}

void ModemScanTest::rateOrder()
{
    QFETCH(QString, shown);
    QFETCH(QStringList, order);
    QCOMPARE(ModemScan::rateOrder(kRates, shown), order);
}

void ModemScanTest::describe_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<QList<ModemScan::Tried>>("tried");
    QTest::addColumn<QString>("text");

    QTest::newRow("nothing answered on one device")
        << int(Result::NothingAnswered)
        << QList<ModemScan::Tried>{{"/dev/ttyS0", {"38400", "9600", "19200"}, {}}}
        << "No modem answered on /dev/ttyS0 at 38400, 9600 or 19200 baud.\nCheck that the modem "
           "is powered and connected, or choose its device below.";
    QTest::newRow("one device missing, one silent")
        << int(Result::NothingAnswered)
        << QList<ModemScan::Tried>{{"/dev/ttyS4", {}, "There is no device /dev/ttyS4."},
                                   {"/dev/ttyUSB0", {"9600"}, {}}}
        << "/dev/ttyS4: There is no device /dev/ttyS4.\nNo modem answered on /dev/ttyUSB0 at 9600 "
           "baud.\nCheck that the modem is powered and connected, or choose its device below.";
    QTest::newRow("cancelled") << int(Result::Cancelled)
                               << QList<ModemScan::Tried>{{"/dev/ttyUSB0", {"38400", "9600"}, {}}}
                               << "Find Modem was cancelled.\nNo modem answered on /dev/ttyUSB0 "
                                  "at 38400 or 9600 baud.";
}

void ModemScanTest::describe()
{
    QFETCH(int, result);
    QFETCH(QList<ModemScan::Tried>, tried);
    QFETCH(QString, text);
    ModemScan::Outcome outcome;
    outcome.result = static_cast<Result>(result);
    outcome.tried = tried;
    QCOMPARE(ModemScan::describe(outcome), text);
}

void ModemScanTest::differences_data()
{
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QStringList>("decoded");
    QTest::addColumn<QList<Difference>>("expected");

    const QString defaults =
        packet({0x7F, 0x7F, 0x7F, 0x7E, 0x0A, 0x01, 0xFF, 0x05, 10, 5, 30, 30});
    const QStringList asSent{"7F", "7F", "7F", "7E", "A", "1", "FF", "5", "10", "5", "30", "30"};
    QTest::newRow("all taken") << defaults << asSent << QList<Difference>{};

    QStringList clamped = asSent;
    clamped[9] = "3";
    QTest::newRow("Tx Power clamped") << defaults << clamped << QList<Difference>{{9, "5", "3"}};

    QStringList address = asSent;
    address[3] = "7F";
    address[6] = "0";
    QTest::newRow("address bytes in hexadecimal")
        << defaults << address << QList<Difference>{{3, "7E", "7F"}, {6, "FF", "0"}};

    QStringList shortReply = asSent;
    shortReply[10] = "??";
    shortReply[11] = "??";
    QTest::newRow("reply too short to confirm")
        << defaults << shortReply << QList<Difference>{{10, "30", ""}, {11, "30", ""}};
}

void ModemScanTest::differences()
{
    QFETCH(QString, sent);
    QFETCH(QStringList, decoded);
    QFETCH(QList<Difference>, expected);
    QCOMPARE(fromPacket(sent).differences(texts(decoded)), expected);
}

void ModemScanTest::summary_data()
{
    QTest::addColumn<SerialDevices::Device>("device");
    QTest::addColumn<QString>("text");

    SerialDevices::Device usb{"/dev/serial/by-id/usb-x",
                              "/dev/ttyUSB0",
                              "FT232R USB UART",
                              "FTDI",
                              "A1B2C3",
                              "0403:6001"};
    QTest::newRow("USB adapter") << usb << "FT232R USB UART, FTDI, serial A1B2C3, USB 0403:6001";
    SerialDevices::Device bare{"/dev/ttyS0", "/dev/ttyS0", {}, {}, {}, {}};
    QTest::newRow("nothing known") << bare << "";
    SerialDevices::Device noSerial = usb;
    noSerial.serialNumber.clear();
    noSerial.manufacturer.clear();
    QTest::newRow("no serial number") << noSerial << "FT232R USB UART, USB 0403:6001";
}

void ModemScanTest::summary()
{
    QFETCH(SerialDevices::Device, device);
    QFETCH(QString, text);
    QCOMPARE(SerialDevices::summary(device), text);
}

#ifndef Q_OS_WIN
void ModemScanTest::linkTo()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString node = folder.filePath("ttyUSB7");
    const QString other = folder.filePath("ttyUSB8");
    QFile(node).open(QIODevice::WriteOnly);
    QFile(other).open(QIODevice::WriteOnly);
    QDir(folder.path()).mkdir("by-id");
    const QString links = folder.filePath("by-id");
    QVERIFY(QFile::link(other, links + "/usb-Other-if00-port0"));
    QVERIFY(QFile::link(node, links + "/usb-Modem_A1-if00-port0"));

    QCOMPARE(SerialDevices::linkTo(node, links), links + "/usb-Modem_A1-if00-port0");
    QCOMPARE(SerialDevices::linkTo(folder.filePath("ttyUSB9"), links), QString());
    QCOMPARE(SerialDevices::linkTo(node, folder.filePath("absent")), QString());
}
#endif

void ModemScanTest::portLineOfAMissingDevice()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("gone");
    QCOMPARE(SerialDevices::portLine(3, path),
             "Comm port 3 is " + path +
                 "\nThat device does not exist. Choose the modem's device below.");
    QCOMPARE(SerialDevices::describe(path), std::nullopt);
}

void ModemScanTest::standInsGoAheadOfTheStore()
{
    QTemporaryDir folder;
    SettingsStore store(folder.filePath("MIRAN.ini"));
    PortMap::assign(store, 2, "/dev/ttyUSB0");
    PortMap map(store);
    QCOMPARE(map.numberOf("/dev/ttyUSB0", 1, 15), 2);

    // A scan stands another device in for port 2 without touching the store
    map.stand(2, "/dev/ttyUSB1");
    QCOMPARE(map.device(2), QString("/dev/ttyUSB1"));
    QCOMPARE(store.read("Ports", "2", {}), QString("/dev/ttyUSB0"));
    QCOMPARE(map.numberOf("/dev/ttyUSB0", 1, 15), 0);

    map.release(2);
    QCOMPARE(map.device(2), QString("/dev/ttyUSB0"));
    QCOMPARE(map.device(3), PortMap::defaultDevice(3));
}

QTEST_GUILESS_MAIN(ModemScanTest)
#include "tst_modemscan.moc"
