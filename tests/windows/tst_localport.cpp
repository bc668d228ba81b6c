// SPDX-License-Identifier: GPL-3.0-or-later
// The local serial port over the Win32 communications API, and the serial
// component on it, against the simulated modem run.sh keeps behind a comm
// port (see runnermodem.h): bytes both ways at the modem's rate, none
// understood at another, custom rates, a comm port with no device, a port
// already open, and a device that goes away while open.
// MIRAN_WIN_ABSENT_PORT names a comm port with no device behind it.
#include "runnermodem.h"

#include "support/core/failureof.h"
#include "support/sim/modemsim.h"

#include "serial/localport.h"
#include "serial/mscomm.h"
#include "serial/portmap.h"
#include "settings/settingsstore.h"
#include "system/failure.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <optional>

using namespace std::chrono_literals;

namespace {
const QByteArray kEnter = QByteArrayLiteral("+++");
const QByteArray kLeave = QByteArrayLiteral("---");
// A reply the modem understood comes one burst gap and a few milliseconds
// after the request; a reply that has not come in this long will not.
constexpr auto kReplyTime = 5s;
constexpr auto kSilence = 1s;

// The modem takes bytes separated by less than its burst gap as one
// message, and the port has no way to learn when the modem has taken one:
// the only way to end a message is a pause on the line.
void pauseTheLine()
{
    QTest::qWait(int((3 * RunnerModem::kBurstGap).count()));
}

// Everything a port delivers, in order.
class Received
{
public:
    explicit Received(LocalPort &port)
        : m_connection(QObject::connect(&port, &LocalPort::readyRead, &port,
                                        [this, &port] { bytes += port.readAll(); }))
    {}
    ~Received() { QObject::disconnect(m_connection); }
    Received(const Received &) = delete;
    Received &operator=(const Received &) = delete;

    // Writes the bytes and waits until `count` bytes have come back, or
    // `wait` has passed; returns what came back.
    QByteArray exchange(LocalPort &port, const QByteArray &out, qsizetype count,
                        std::chrono::milliseconds wait = kReplyTime)
    {
        bytes.clear();
        port.write(out);
        // The caller compares what came, in time or not.
        static_cast<void>(
            QTest::qWaitFor([&] { return bytes.size() >= count; }, int(wait.count())));
        return bytes;
    }

    QByteArray bytes;

private:
    QMetaObject::Connection m_connection;
};
} // namespace

class LocalPortTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void readsTheConfigurationAtTheModemsRate();
    void everyByteValueCrossesUnchanged();
    void configurationWithZeroAndFFReadsBack();
    void anotherRateGetsNoReply();
    void customRatesAreAccepted();
    void commPortWithNoDevice_data();
    void commPortWithNoDevice();
    void portOpenElsewhereIsInUse();
    void portReportsTheDeviceGone();
    void serialComponentSaysTheDeviceWasLost();

private:
    RunnerModem m_modem;
    QString m_absentPort;
    QByteArray m_configuration;
};

void LocalPortTest::initTestCase()
{
    m_modem = RunnerModem::fromEnvironment();
    m_absentPort = qEnvironmentVariable("MIRAN_WIN_ABSENT_PORT");
    QStringList missing = m_modem.missing();
    if (!m_absentPort.startsWith(QStringLiteral("COM")))
        missing << QStringLiteral("MIRAN_WIN_ABSENT_PORT");
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("needs the simulated modem behind a comm port, as "
                                        "tests/windows/run.sh sets it up; not set: ") +
                         missing.join(QStringLiteral(", "))));
    m_configuration = QByteArray::fromHex(kSimConfiguration.toLatin1());
}

void LocalPortTest::cleanup()
{
    // A failed case may leave the modem in command mode, unplugged or with
    // another configuration: the next one starts with a new modem.
    if (QTest::currentTestFailed())
        QVERIFY(m_modem.ask(QStringLiteral("restart")));
}

void LocalPortTest::readsTheConfigurationAtTheModemsRate()
{
    // GIVEN the port open at the modem's rate
    LocalPort port;
    port.open(m_modem.port, m_modem.rate, 0);
    QVERIFY(port.isOpen());
    Received in(port);

    // WHEN "+++" goes out
    const QByteArray reply = in.exchange(port, kEnter, m_configuration.size());

    // THEN the modem answers with its twelve configuration bytes, and nothing more
    QCOMPARE(reply.toHex(), m_configuration.toHex());
    in.exchange(port, kLeave, 1, kSilence);
    QCOMPARE(in.bytes.toHex(), QByteArray());
    port.close();
    QVERIFY(!port.isOpen());
}

void LocalPortTest::everyByteValueCrossesUnchanged()
{
    // GIVEN the port open and the modem in data mode, where it sends back
    // whatever it receives
    LocalPort port;
    port.open(m_modem.port, m_modem.rate, 0);
    Received in(port);
    QByteArray everyByte;
    for (int value = 0; value <= 0xFF; ++value)
        everyByte.append(char(value));

    // WHEN every byte value goes out in one message
    const QByteArray echo = in.exchange(port, everyByte, everyByte.size());

    // THEN every one comes back as it was: no byte is translated, taken as
    // flow control or dropped on the way out or in
    QCOMPARE(echo.toHex(), everyByte.toHex());
}

void LocalPortTest::configurationWithZeroAndFFReadsBack()
{
    // GIVEN the modem in command mode
    LocalPort port;
    port.open(m_modem.port, m_modem.rate, 0);
    Received in(port);
    QCOMPARE(in.exchange(port, kEnter, m_configuration.size()).toHex(), m_configuration.toHex());

    // WHEN a configuration of 00 and FF bytes is written (addresses 00FF00FF
    // and FF00FF00, channel 0, power 255, packet sizes 0 and 255)
    const QByteArray written = QByteArray::fromHex("00FF00FFFF00FF0000FF00FF");
    port.write(written);
    pauseTheLine();

    // THEN the modem reads it back as written
    QCOMPARE(in.exchange(port, kEnter, written.size()).toHex(), written.toHex());

    // AND the old configuration, written back, reads back too
    port.write(m_configuration);
    pauseTheLine();
    QCOMPARE(in.exchange(port, kEnter, m_configuration.size()).toHex(), m_configuration.toHex());
    port.write(kLeave);
    pauseTheLine();
}

void LocalPortTest::anotherRateGetsNoReply()
{
    // GIVEN the port open at a standard rate the modem does not run at
    const qint32 other = m_modem.rate == 38400 ? 9600 : 38400;
    LocalPort port;
    port.open(m_modem.port, other, 0);
    Received in(port);

    // WHEN "+++" goes out, THEN the modem does not understand it: no reply
    QCOMPARE(in.exchange(port, kEnter, 1, kSilence).toHex(), QByteArray());

    // WHEN the open port changes to the modem's rate, THEN it answers
    QVERIFY(port.setBaudRate(m_modem.rate));
    QCOMPARE(in.exchange(port, kEnter, m_configuration.size()).toHex(), m_configuration.toHex());
    port.write(kLeave);
    pauseTheLine();
}

void LocalPortTest::customRatesAreAccepted()
{
    // GIVEN a rate Windows has no constant for
    // (Wine puts such a rate on a pseudo-terminal as 38400, so what reaches
    // the line is not checked here; that the port takes it is.)
    constexpr qint32 custom = 256000;
    LocalPort port;

    // WHEN the port opens at it, THEN it opens
    const std::optional<Failure> failure = failureOf([&] { port.open(m_modem.port, custom, 0); });
    QVERIFY2(!failure, failure ? qPrintable(failure->description()) : "");
    QVERIFY(port.isOpen());

    // AND an open port takes another such rate, and then the modem's own, at
    // which the modem answers
    QVERIFY(port.setBaudRate(250000));
    QVERIFY(port.setBaudRate(m_modem.rate));
    Received in(port);
    QCOMPARE(in.exchange(port, kEnter, m_configuration.size()).toHex(), m_configuration.toHex());
    port.write(kLeave);
    pauseTheLine();
}

void LocalPortTest::commPortWithNoDevice_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<QString>("message");

    const int number = m_absentPort.mid(3).toInt();
    QTest::newRow("device named") << 0
                                  << QStringLiteral("There is no device %1.").arg(m_absentPort);
    QTest::newRow("comm port chosen")
        << number
        << QStringLiteral("There is no device %1 behind comm port %2.")
               .arg(m_absentPort)
               .arg(number);
}

void LocalPortTest::commPortWithNoDevice()
{
    QFETCH(int, portNumber);
    QFETCH(QString, message);

    // GIVEN a comm port no device is behind
    LocalPort port;

    // WHEN it is opened, THEN it does not open and says there is no device
    const std::optional<Failure> failure =
        failureOf([&] { port.open(m_absentPort, m_modem.rate, portNumber); });
    QVERIFY(failure);
    QCOMPARE(failure->number(), FailureNumber::InvalidPortNumber);
    QCOMPARE(failure->description(), message);
    QVERIFY(!port.isOpen());
    if (portNumber == 0)
        return;

    // AND the serial component, given that comm port number, maps it to the
    // device of that name and says the same
    QTemporaryDir folder;
    SettingsStore store(folder.filePath(QStringLiteral("MIRAN.ini")));
    const PortMap map(store);
    QCOMPARE(map.device(portNumber), m_absentPort);
    MSComm comm(map);
    comm.setCommPort(portNumber);
    const std::optional<Failure> opened = failureOf([&] { comm.setPortOpen(true); });
    QVERIFY(opened);
    QCOMPARE(opened->description(), message);
    QVERIFY(!comm.portOpen());
}

void LocalPortTest::portOpenElsewhereIsInUse()
{
    // GIVEN the port open
    LocalPort first;
    first.open(m_modem.port, m_modem.rate, 0);

    // WHEN it is opened a second time, THEN that open fails: in use
    LocalPort second;
    const std::optional<Failure> failure =
        failureOf([&] { second.open(m_modem.port, m_modem.rate, 1); });
    QVERIFY(failure);
    QCOMPARE(failure->number(), FailureNumber::PortAlreadyOpen);
    QCOMPARE(failure->description(),
             QStringLiteral("%1 is in use by another program. Close that program and connect "
                            "again.")
                 .arg(m_modem.port));
    QVERIFY(!second.isOpen());
    QVERIFY(first.isOpen());

    // WHEN the first closes, THEN the port is free: the second opens and reads
    first.close();
    second.open(m_modem.port, m_modem.rate, 1);
    Received in(second);
    QCOMPARE(in.exchange(second, kEnter, m_configuration.size()).toHex(), m_configuration.toHex());
    second.write(kLeave);
    pauseTheLine();
}

void LocalPortTest::portReportsTheDeviceGone()
{
    // GIVEN the port open
    LocalPort port;
    port.open(m_modem.port, m_modem.rate, 0);
    QSignalSpy lost(&port, &LocalPort::lost);

    // WHEN the device goes away
    QVERIFY(m_modem.ask(QStringLiteral("hangup")));

    // THEN the port says so, stays open until closed, and takes no more bytes
    QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, 5'000);
    QVERIFY(port.isOpen());
    const std::optional<Failure> failure = failureOf([&] { port.write(kEnter); });
    QVERIFY(failure);
    QCOMPARE(failure->number(), FailureNumber::DeviceLost);
    port.close();
    QVERIFY(!port.isOpen());

    // WHEN the device is back, THEN the port opens and reads it again
    QVERIFY(m_modem.ask(QStringLiteral("plug")));
    port.open(m_modem.port, m_modem.rate, 0);
    Received in(port);
    QCOMPARE(in.exchange(port, kEnter, m_configuration.size()).toHex(), m_configuration.toHex());
    port.write(kLeave);
    pauseTheLine();
    // Said once only.
    QCOMPARE(lost.size(), 1);
}

void LocalPortTest::serialComponentSaysTheDeviceWasLost()
{
    // GIVEN the serial component open on comm port 1, mapped to the modem
    QTemporaryDir folder;
    SettingsStore store(folder.filePath(QStringLiteral("MIRAN.ini")));
    PortMap::assign(store, 1, m_modem.port);
    const PortMap map(store);
    MSComm comm(map);
    comm.setSettings(QStringLiteral("%1,n,8,1").arg(m_modem.rate));
    comm.setCommPort(1);
    comm.setPortOpen(true);
    QSignalSpy lost(&comm, &CommControl::portLost);

    // WHEN the device goes away
    QVERIFY(m_modem.ask(QStringLiteral("hangup")));

    // THEN the component closes the port and says what happened
    QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, 5'000);
    const QString description =
        QStringLiteral("The connection to %1 was lost (the device was removed).").arg(m_modem.port);
    QCOMPARE(lost.at(0).at(0).toString(), description);
    QCOMPARE(lost.at(0).at(1).toInt(), FailureNumber::DeviceLost);
    QVERIFY(!comm.portOpen());
    // AND a write after it says why the port is not open
    const std::optional<Failure> failure = failureOf([&] { comm.setOutput(QStringLiteral("+")); });
    QVERIFY(failure);
    QCOMPARE(failure->number(), FailureNumber::PortNotOpen);
    QCOMPARE(failure->description(), QStringLiteral("The port is not open. ") + description);

    // WHEN the device is back, THEN the component opens and reads it again
    QVERIFY(m_modem.ask(QStringLiteral("plug")));
    comm.setPortOpen(true);
    QString received;
    connect(&comm, &CommControl::OnComm, &comm, [&] { received += comm.inputWaiting(); });
    comm.setOutput(QString::fromLatin1(kEnter));
    QTRY_COMPARE_WITH_TIMEOUT(received.toLatin1().toHex(), m_configuration.toHex(), 5'000);
    comm.setOutput(QString::fromLatin1(kLeave));
    pauseTheLine();
    comm.setPortOpen(false);
    QCOMPARE(lost.size(), 1);
}

QTEST_GUILESS_MAIN(LocalPortTest)
#include "tst_localport.moc"
