// SPDX-License-Identifier: GPL-3.0-or-later
// Network ports against a real serial server: ser2net on 127.0.0.1 in front
// of the simulated modem, reached as rfc2217://HOST:PORT and tcp://HOST:PORT
// by miran-cli and by the window; and the faults a network brings.
#include "support/app/controltexts.h"
#include "support/app/simwindow.h"
#include "support/core/cputime.h"
#include "support/sim/cliprogram.h"
#include "support/sim/modemsim.h"
#include "support/sim/ser2net.h"

#include "modem/failurestatus.h"
#include "network/networkport.h"
#include "serial/mscomm.h"
#include "shell/form1.h"
#include "shell/form1ui.h"
#include "system/failure.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <future>
#include <thread>

using namespace std::chrono_literals;

namespace {
constexpr int kRunTimeoutMs = 30'000;
const QString kSimText = QStringLiteral(
    "destination 7F7F7F7E\nmodule 0A01FF05\nchannel 10\npower 3\ntx-size 30\nrx-size 30\n");

// The modem's line rate differs from the one the server opens its device at,
// so a run reaches the modem only by setting the rate over the network.
constexpr int kModemRate = 9600;
constexpr int kServerRate = 38400;

QStringList simArguments(int rate)
{
    return {QStringLiteral("--config"), kSimConfiguration, QStringLiteral("--baud"),
            QString::number(rate)};
}

qsizetype countEvents(const ModemSim &sim, const QString &event, const QString &detail)
{
    qsizetype count = 0;
    for (const ModemSim::Entry &entry : sim.log())
        count += entry.event == event && entry.detail == detail ? 1 : 0;
    return count;
}

// Forwards one client to a TCP port. The server's bytes after the first few
// that follow each of the client's writes are held back for a while, as a
// network that delays part of a reply does.
class DelayingProxy : public QObject
{
public:
    DelayingProxy(quint16 target, qsizetype passed, std::chrono::milliseconds delay)
        : m_target(target)
        , m_passed(passed)
        , m_delay(delay)
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] { accept(); });
    }

    quint16 port() const { return m_server.serverPort(); }

private:
    void accept()
    {
        m_client = m_server.nextPendingConnection();
        m_upstream.connectToHost(QHostAddress::LocalHost, m_target);
        QObject::connect(m_client, &QTcpSocket::readyRead, this, [this] {
            m_sinceWrite = 0;
            m_upstream.write(m_client->readAll());
        });
        QObject::connect(&m_upstream, &QTcpSocket::readyRead, this, [this] { fromServer(); });
        QObject::connect(&m_upstream, &QTcpSocket::disconnected, m_client,
                         &QTcpSocket::disconnectFromHost);
    }

    void fromServer()
    {
        const QByteArray bytes = m_upstream.readAll();
        const qsizetype now = std::clamp(m_passed - m_sinceWrite, qsizetype(0), bytes.size());
        m_sinceWrite += bytes.size();
        m_client->write(bytes.first(now));
        if (now < bytes.size())
            QTimer::singleShot(m_delay, m_client, [client = m_client, rest = bytes.sliced(now)] {
                client->write(rest);
            });
    }

    quint16 m_target;
    qsizetype m_passed;
    std::chrono::milliseconds m_delay;
    QTcpServer m_server;
    QTcpSocket *m_client = nullptr;
    QTcpSocket m_upstream;
    qsizetype m_sinceWrite = 0;
};

// A telnet server in a thread of its own (the port waits for it with the
// caller's thread held) that agrees to COM-PORT-OPTION and answers every rate
// request with the same rate, or stays silent.
class FixedRateServer
{
public:
    explicit FixedRateServer(std::optional<quint32> answer)
        : m_answer(answer)
    {
        std::promise<quint16> listening;
        m_port = listening.get_future();
        m_thread =
            std::thread([this, promise = std::move(listening)]() mutable { serve(promise); });
        m_portNumber = m_port.get();
    }
    ~FixedRateServer()
    {
        m_stop = true;
        m_thread.join();
    }

    QString name() const { return QStringLiteral("rfc2217://127.0.0.1:%1").arg(m_portNumber); }

private:
    void serve(std::promise<quint16> &listening)
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost);
        listening.set_value(server.serverPort());
        std::unique_ptr<QTcpSocket> client;
        while (!m_stop) {
            if (!client) {
                if (server.waitForNewConnection(50))
                    client.reset(server.nextPendingConnection());
                continue;
            }
            if (!client->waitForReadyRead(50)) {
                if (client->state() == QAbstractSocket::UnconnectedState)
                    client.reset();
                continue;
            }
            const QByteArray bytes = client->readAll();
            if (!m_answer)
                continue;
            if (bytes.contains(QByteArray::fromHex("fffb2c")))
                client->write(QByteArray::fromHex("fffd2c"));
            if (bytes.contains(QByteArray::fromHex("fffa2c01"))) {
                const quint32 rate = *m_answer;
                const char value[] = {static_cast<char>(rate >> 24), static_cast<char>(rate >> 16),
                                      static_cast<char>(rate >> 8), static_cast<char>(rate)};
                client->write(QByteArray::fromHex("fffa2c65") + QByteArray(value, 4) +
                              QByteArray::fromHex("fff0"));
            }
            client->flush();
        }
    }

    std::optional<quint32> m_answer;
    std::thread m_thread;
    std::future<quint16> m_port;
    quint16 m_portNumber = 0;
    std::atomic<bool> m_stop = false;
};

// The failure of an open, which must leave the port closed.
std::optional<Failure> openFailure(const QString &name, qint32 rate)
{
    NetworkPort port;
    try {
        port.open(name, rate);
    } catch (const Failure &failure) {
        if (port.isOpen())
            return Failure(0, QStringLiteral("left open after: ") + failure.description());
        return failure;
    }
    return std::nullopt;
}
} // namespace

class NetworkTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void cliReadWriteAndFindThroughRfc2217();
    void rawTcpCarriesDataAtTheServersRate();
    void serverGoneDuringASet();
    void windowConnectsAndSeesTheServerGo();
    void typedIntoTheDeviceList();
    void connectionFaults();
    void rateTheServerDoesNotTake();
    void replySplitByTheNetwork_data();
    void replySplitByTheNetwork();

private:
    // Runs miran-cli with this test's event loop going, for the proxies.
    CliRun run(const QStringList &arguments) const { return m_cli.runWithEvents(arguments); }

    CliProgram m_cli;
};

void NetworkTest::initTestCase()
{
    if (Ser2Net::program().isEmpty())
        QSKIP("needs ser2net (scripts/install-deps.sh network)");
    QVERIFY(m_cli.isValid());
}

void NetworkTest::cliReadWriteAndFindThroughRfc2217()
{
    ModemSim sim(simArguments(kModemRate));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorString()));
    Ser2Net server(sim.linkPath(), kServerRate);
    QVERIFY2(server.isReady(), qPrintable(server.errorString()));
    const QString device = server.rfc2217Name();
    const QString baud = QString::number(kModemRate);

    // Read at the modem's rate, which only the network request sets.
    CliRun read = run({"read", "--device", device, "--baud", baud});
    QCOMPARE(read.code, 0);
    QCOMPARE(read.out, kSimText);
    // At the server's own rate the modem hears nothing it understands.
    QCOMPARE(run({"read", "--device", device, "--baud", QString::number(kServerRate)}).code, 3);

    // FF bytes both ways: written, reported back and held by the modem.
    const CliRun written = run({"write", "--device", device, "--baud", baud, "--destination",
                                "FFFFFFFF", "--module", "12FF34FF", "--channel", "255"});
    QVERIFY2(written.code == 0, qPrintable(written.err));
    QCOMPARE(written.out, QStringLiteral("destination FFFFFFFF\nmodule 12FF34FF\nchannel 255\n"
                                         "power 3\ntx-size 30\nrx-size 30\n"));
    QCOMPARE(sim.configuration().toHex().toUpper(), QByteArray("FFFFFFFF12FF34FFFF031E1E"));
    read = run({"read", "--device", device, "--baud", baud, "--json"});
    QVERIFY2(read.out.contains("\"bytes\":\"FFFFFFFF12FF34FFFF031E1E\""), qPrintable(read.out));

    // Find tries the rates over the network and names the one that answered.
    const CliRun found = run({"find", "--device", device});
    QVERIFY2(found.code == 0, qPrintable(found.err));
    QCOMPARE(found.out, device + " 9600\n");
    // Each run took the modem out of command mode.
    QCOMPARE(countEvents(sim, "MODE", "data"), countEvents(sim, "MODE", "command"));
}

void NetworkTest::rawTcpCarriesDataAtTheServersRate()
{
    ModemSim sim(simArguments(kModemRate));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorString()));
    Ser2Net server(sim.linkPath(), kModemRate);
    QVERIFY2(server.isReady(), qPrintable(server.errorString()));

    // --baud cannot change a raw port's rate: the server's 9600 holds.
    const CliRun read = run({"read", "--device", server.tcpName(), "--baud", "38400"});
    QVERIFY2(read.code == 0, qPrintable(read.err));
    QCOMPARE(read.out, kSimText);
    QCOMPARE(read.err, QStringLiteral("miran-cli: %1 is a raw TCP port: the line runs at the "
                                      "server's baud rate, which --baud does not change "
                                      "(rfc2217:// can set it).\n")
                           .arg(server.tcpName()));

    // Find Modem says why it cannot scan there, and sends nothing.
    const CliRun found = run({"find", "--device", server.tcpName()});
    QCOMPARE(found.code, 5);
    QVERIFY2(found.err.contains("baud rate is set at its server, so Find Modem cannot try rates"),
             qPrintable(found.err));
    QCOMPARE(countEvents(sim, "RX", "2B2B2B"), 1);
}

void NetworkTest::serverGoneDuringASet()
{
    ModemSim sim(simArguments(kModemRate));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorString()));
    Ser2Net server(sim.linkPath(), kServerRate);
    QVERIFY2(server.isReady(), qPrintable(server.errorString()));

    QProcess process;
    m_cli.start(process,
                {"write", "--device", server.rfc2217Name(), "--baud", "9600", "--channel", "20"});
    // The write reads first, then enters command mode again for the packet:
    // the server dies there.
    QVERIFY(QTest::qWaitFor([&sim] { return countEvents(sim, "MODE", "command") >= 2; },
                            kRunTimeoutMs));
    server.kill();
    QVERIFY(process.waitForFinished(20'000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), 5);
    QVERIFY2(err.contains(QStringLiteral("The connection to %1 was lost (the server closed it). "
                                         "Check the serial server and the network and run the "
                                         "command again.")
                              .arg(server.rfc2217Name())),
             qPrintable(err));
    // Nothing claims the packet was taken.
    QVERIFY(process.readAllStandardOutput().isEmpty());
}

void NetworkTest::windowConnectsAndSeesTheServerGo()
{
    // The window's default rate is the modem's; the server opens at another.
    SimWindow window(QStringList{QStringLiteral("--baud"), QStringLiteral("38400")});
    QVERIFY2(window.sim.isReady(), qPrintable(window.sim.errorString()));
    Ser2Net server(window.sim.linkPath(), kModemRate);
    QVERIFY2(server.isReady(), qPrintable(server.errorString()));
    window.setPort(server.rfc2217Name());
    QVERIFY2(window.connect(), qPrintable(window.failure()));
    Form1Ui &ui = window.ui();

    server.kill();
    QTRY_COMPARE_WITH_TIMEOUT(ui.Command7->text(), QStringLiteral("Connect"), 10'000);
    QCOMPARE(ui.statusText(), FailureStatus::lost(FailureNumber::ConnectionLost));
    const QString lost = QStringLiteral("Error!! The connection to %1 was lost (the server closed "
                                        "it). Check the serial server and the network and press "
                                        "Connect.")
                             .arg(server.rfc2217Name());
    QCOMPARE(ui.StatusPanel1->toolTip(), lost);
    QVERIFY(!ui.Command2->isEnabled());
    QVERIFY(!window.fixture.serial().portOpen());

    // The program idles once the connection is gone.
    const auto used = cpuTimeWhileWaiting(1s);
    QVERIFY2(used < 0.3s, qPrintable(QStringLiteral("%1 s of processor time").arg(used.count())));

    // Connect now fails at once with the reason, and sends nothing anywhere.
    QTest::mouseClick(ui.Command7, Qt::LeftButton);
    QTRY_VERIFY2(ui.StatusPanel1->toolTip().contains("refused the connection"),
                 qPrintable(ui.StatusPanel1->toolTip()));
    QVERIFY(!window.fixture.serial().portOpen());
}

void NetworkTest::typedIntoTheDeviceList()
{
    ModemSim sim(simArguments(38400));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorString()));
    Ser2Net server(sim.linkPath(), kModemRate);
    QVERIFY2(server.isReady(), qPrintable(server.errorString()));
    FormFixture fixture(FormFixture::Link::Serial);
    Form1Ui &ui = fixture.start().ui();
    ui.showPage(Form1Ui::Page::CommsPortSetup);
    QLineEdit &edit = *ui.DeviceList->lineEdit();
    const auto mapped = [&fixture] {
        return QSettings(fixture.settingsFile(), QSettings::IniFormat)
            .value(QStringLiteral("Ports/1"))
            .toString();
    };

    // A name that is neither a device nor a network port is refused with a
    // message, and nothing is mapped.
    edit.clear();
    QTest::keyClicks(&edit, QStringLiteral("rfc2217://127.0.0.1"));
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(fixture.dialogs.messages.size(), 1);
    const QString &prompt = fixture.dialogs.messages.first().prompt;
    QVERIFY2(prompt.contains("is neither a device nor a network port"), qPrintable(prompt));
    QVERIFY(mapped().isEmpty());

    // The server's name, typed and entered, maps comm port 1 and Connect
    // reads the modem through it.
    edit.clear();
    QTest::keyClicks(&edit, server.rfc2217Name());
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(mapped(), server.rfc2217Name());
    QVERIFY2(ui.DeviceLine->text().contains("RFC 2217"), qPrintable(ui.DeviceLine->text()));
    QCOMPARE(ui.DeviceList->currentText(), server.rfc2217Name());
    QTRY_COMPARE(fieldTexts(ui), kUnreadFields);
    ui.Command7->click();
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 10'000);
    QCOMPARE(fixture.dialogs.messages.size(), 1);
}

void NetworkTest::connectionFaults()
{
    // A port nobody listens on.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    const QString refused = QStringLiteral("rfc2217://127.0.0.1:%1").arg(port);
    const CliRun read = run({"read", "--device", refused});
    QCOMPARE(read.code, 5);
    QVERIFY2(read.err.contains(refused + " (port " + QString::number(port) +
                               " of 127.0.0.1) refused the connection"),
             qPrintable(read.err));
    QVERIFY(read.out.isEmpty());

    // Names that are not network ports are said to be so, before any
    // connection.
    for (const QString &name :
         {QStringLiteral("rfc2217://127.0.0.1"), QStringLiteral("tcp://127.0.0.1:99999"),
          QStringLiteral("rfc2217://:2000"), QStringLiteral("tcp://user@127.0.0.1:2000")}) {
        const std::optional<Failure> failure = openFailure(name, 9600);
        QVERIFY2(failure && failure->description().contains("is not a network port"),
                 qPrintable(name));
    }

    // A server that never answers the negotiation: the connect time-out.
    FixedRateServer silent(std::nullopt);
    const std::optional<Failure> timedOut = openFailure(silent.name(), 9600);
    QVERIFY(timedOut);
    QCOMPARE(timedOut->number(), FailureNumber::DeviceUnavailable);
    QVERIFY2(timedOut->description().contains("did not confirm the line rate within 5 s"),
             qPrintable(timedOut->description()));
}

void NetworkTest::rateTheServerDoesNotTake()
{
    FixedRateServer server(9600);
    QVERIFY(!openFailure(server.name(), 9600));
    const std::optional<Failure> failure = openFailure(server.name(), 19200);
    QVERIFY(failure);
    QCOMPARE(failure->number(), FailureNumber::CommStateFailed);
    QCOMPARE(failure->description(),
             server.name() + QStringLiteral(" does not take 19200 baud (the server set 9600)."));
}

void NetworkTest::replySplitByTheNetwork_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    // Within the quiet time the two parts are one reply.
    QTest::newRow("40 ms") << 40 << 0 << QString();
    // Past it, the first part is the reply: short, reported, nothing written.
    QTest::newRow("400 ms") << 400 << 3
                            << QStringLiteral("The modem answered 6 of the 12 configuration bytes");
}

void NetworkTest::replySplitByTheNetwork()
{
    QFETCH(int, delayMs);
    QFETCH(int, code);
    QFETCH(QString, message);
    ModemSim sim(simArguments(kModemRate));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorString()));
    Ser2Net server(sim.linkPath(), kModemRate);
    QVERIFY2(server.isReady(), qPrintable(server.errorString()));
    const quint16 rawPort = static_cast<quint16>(server.tcpName().section(':', -1).toUInt());
    DelayingProxy proxy(rawPort, 6, std::chrono::milliseconds(delayMs));

    const CliRun written =
        run({"write", "--device", QStringLiteral("tcp://127.0.0.1:%1").arg(proxy.port()),
             "--channel", "20"});
    QVERIFY2(written.code == code, qPrintable(written.err));
    QVERIFY2(written.err.contains(message), qPrintable(written.err));
    const bool packetSent = countEvents(sim, "CONFIG", "7F7F7F7E0A01FF0514031E1E") > 0;
    QCOMPARE(packetSent, code == 0);
}

QTEST_MAIN(NetworkTest)
#include "tst_network.moc"
