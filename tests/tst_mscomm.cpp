// SPDX-License-Identifier: GPL-3.0-or-later
// The serial component on real devices: how opening fails, line settings,
// losing the device while open, and connecting again.
#include "support/app/controltexts.h"
#include "support/app/formfixture.h"
#include "support/app/simwindow.h"
#include "support/core/cputime.h"
#include "support/core/failureof.h"
#include "support/core/otheruser.h"

#include "modem/failurestatus.h"
#include "serial/mscomm.h"
#include "serial/portmap.h"
#include "serial/seriallock.h"
#include "settings/settingsstore.h"
#include "shell/form1.h"
#include "shell/form1ui.h"
#include "system/application.h"
#include "system/failure.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSysInfo>
#include <QTabWidget>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <optional>

using namespace std::chrono_literals;

namespace {
const QString kComplete = QStringLiteral("Request Complete");
const QString kNoResponse = QStringLiteral("No Response from Modem. Check Comms Port & Baud rate");

void click(QPushButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class MSCommTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openFailuresInTheWindow_data();
    void openFailuresInTheWindow();
    void openFailureNumbers_data();
    void openFailureNumbers();
    void otherUsersAreRefused_data();
    void otherUsersAreRefused();
    void lockFilesNameTheirHolder_data();
    void lockFilesNameTheirHolder();
    void settingsText_data();
    void settingsText();
    void customRateReachesTheLine();
    void unplugWhileOpen();
    void reconnectReadsAgain();

private:
    // What comm_probe says of opening the device: as this user, or as nobody
    // when this is root. Empty when it could not run.
    static QString openInAnotherProgram(const QString &device);
    // The id of no process that runs.
    static qint64 endedProcessId();

    QTemporaryDir m_scratch;
};

void MSCommTest::openFailuresInTheWindow_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("baud");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("tab");

    // "missing" is a path with nothing behind it, "modem" the simulator.
    QTest::newRow("no device") << "missing"
                               << "38400"
                               << "Please select a valid comms port" << Application::title() << 2;
    QTest::newRow("not a serial port") << "/dev/null"
                                       << "38400"
                                       << "Error: /dev/null is not a serial port"
                                       << "Error" << 0;
    QTest::newRow("no baud rate") << "modem"
                                  << ""
                                  << "Error: No baud rate is chosen"
                                  << "Error" << 0;
    QTest::newRow("baud rate not a number") << "modem"
                                            << "abc"
                                            << "Error: \"abc\" is not a baud rate"
                                            << "Error" << 0;
}

void MSCommTest::openFailuresInTheWindow()
{
    QFETCH(QString, device);
    QFETCH(QString, baud);
    QFETCH(QString, prompt);
    QFETCH(QString, title);
    QFETCH(int, tab);
    ModemSim sim({QStringLiteral("--config"), kSimConfiguration});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorString()));
    FormFixture fixture(FormFixture::Link::Serial);
    if (device == QLatin1String("missing"))
        device = fixture.scratchPath(QStringLiteral("ttyGone"));
    else if (device == QLatin1String("modem"))
        device = sim.linkPath();
    fixture.setSetting(QStringLiteral("Ports/1"), device);
    fixture.setSetting(QStringLiteral("Ports/2"), sim.linkPath());
    Form1Ui &ui = fixture.start().ui();
    QTRY_COMPARE(fieldTexts(ui), kUnreadFields);
    ui.Combo2->setEditText(baud);

    click(ui.Command7);
    QCOMPARE(fixture.dialogs.messages.size(), 1);
    QVERIFY2(fixture.dialogs.messages[0].prompt.startsWith(prompt),
             qPrintable(fixture.dialogs.messages[0].prompt));
    QCOMPARE(fixture.dialogs.messages[0].title, title);
    QCOMPARE(ui.TabStrip1->currentIndex(), tab);
    // The read-back still runs, on the closed port; the status says the
    // open failed.
    QVERIFY2(ui.statusText() == QLatin1String("Invalid port") ||
                 ui.statusText().startsWith(QLatin1String("Error!! ")),
             qPrintable(ui.statusText()));
    QCOMPARE(fieldTexts(ui), kUnreadFields);
    QCOMPARE(ui.Command7->text(), QStringLiteral("Connect"));
    QVERIFY(!fixture.serial().portOpen());
    QVERIFY(sim.rxBursts().isEmpty());

    // The window keeps working: a usable rate and port 2 read the modem.
    ui.Combo2->setEditText(QStringLiteral("38400"));
    ui.Combo1->setCurrentIndex(1);
    Q_EMIT ui.Combo1->activated(1);
    QCOMPARE(ui.statusText(), kComplete);
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 10'000);
    QCOMPARE(fixture.dialogs.messages.size(), 1);
}

void MSCommTest::openFailureNumbers_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");

    const QString missing = m_scratch.filePath(QStringLiteral("ttyGone"));
    QTest::newRow("no device") << missing << FailureNumber::InvalidPortNumber
                               << "There is no device " + missing + " behind comm port 1.";
    QTest::newRow("not a serial port")
        << "/dev/null" << FailureNumber::DeviceUnavailable << "/dev/null is not a serial port";
}

void MSCommTest::openFailureNumbers()
{
    QFETCH(QString, device);
    QFETCH(int, number);
    QFETCH(QString, description);
    SettingsStore settings(m_scratch.filePath(QStringLiteral("numbers.ini")));
    settings.write(QStringLiteral("Ports"), QStringLiteral("1"), device);
    const PortMap portMap(settings);
    MSComm comm(portMap);
    comm.setCommPort(1);

    const std::optional<Failure> failure = failureOf([&comm] { comm.setPortOpen(true); });
    QVERIFY(failure.has_value());
    QCOMPARE(failure->number(), number);
    QVERIFY2(failure->description().startsWith(description), qPrintable(failure->description()));
    QVERIFY(!comm.portOpen());
}

void MSCommTest::otherUsersAreRefused_data()
{
    QTest::addColumn<bool>("exclusive");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");

    QTest::newRow("in use") << true << 0666 << FailureNumber::PortAlreadyOpen
                            << "is in use by another program";
    QTest::newRow("permission denied")
        << false << 0000 << FailureNumber::PermissionDenied << "add your user to the dialout group";
}

void MSCommTest::otherUsersAreRefused()
{
    QFETCH(bool, exclusive);
    QFETCH(int, mode);
    QFETCH(int, number);
    QFETCH(QString, description);

    // GIVEN a pty held open by this process (exclusively for "in use"), then
    // given the row's mode
    ModemSim sim;
    QVERIFY2(sim.isReady(), qPrintable(sim.errorString()));
    const QByteArray device = QFile::encodeName(sim.device());
    const int fd = ::open(device.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    const auto closeDevice = qScopeGuard([fd] { ::close(fd); });
    if (exclusive)
        QCOMPARE(::ioctl(fd, TIOCEXCL), 0);
    QCOMPARE(::chmod(device.constData(), static_cast<mode_t>(mode)), 0);

    // WHEN another program opens it: as this user, or as nobody when this is
    // root, which passes both the exclusive flag and the permission bits
    const QString output = openInAnotherProgram(sim.device());
    QVERIFY(!output.isEmpty());

    // THEN it is refused with a number to branch on and a hint for the user
    QVERIFY2(output != QLatin1String("open"), "The device was opened");
    QCOMPARE(output.section(QLatin1Char(' '), 0, 0).toInt(), number);
    QVERIFY2(output.contains(description), qPrintable(output));
    QVERIFY2(output.contains(sim.device()), qPrintable(output));
}

void MSCommTest::lockFilesNameTheirHolder_data()
{
    QTest::addColumn<bool>("programRuns");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");

    QTest::newRow("held by a running program")
        << true << FailureNumber::PortAlreadyOpen
        << QStringLiteral("is in use by another program (tst_mscomm, process %1; lock file ")
               .arg(QCoreApplication::applicationPid());
    QTest::newRow("left behind by a program that ended")
        << false << FailureNumber::StaleLock << "which a program left behind when it ended";
}

void MSCommTest::lockFilesNameTheirHolder()
{
    QFETCH(bool, programRuns);
    QFETCH(int, number);
    QFETCH(QString, description);
    // Only root can leave a lock file that another user cannot clear away.
    if (!programRuns && !OtherUser::needed())
        QSKIP("needs root: a lock file of another user");
    ModemSim sim;
    QVERIFY2(sim.isReady(), qPrintable(sim.errorString()));
    const QByteArray device = QFile::encodeName(sim.device());
    // Everybody may open the device: only the lock stands in the way.
    QCOMPARE(::chmod(device.constData(), 0666), 0);

    // GIVEN the device locked by this process, holding it open, or a lock
    // file whose process has ended
    SettingsStore store(m_scratch.filePath(QStringLiteral("lock.ini")));
    store.write(QStringLiteral("Ports"), QStringLiteral("1"), sim.device());
    const PortMap portMap(store);
    MSComm holder(portMap);
    QString lockFile;
    if (programRuns) {
        holder.setPortOpen(true);
    } else {
        const qint64 ended = endedProcessId();
        QVERIFY(ended > 0);
        lockFile = QStringLiteral("/var/lock/") + SerialLock::fileName(sim.device());
        QFile lock(lockFile);
        QVERIFY2(lock.open(QIODevice::WriteOnly | QIODevice::NewOnly), qPrintable(lockFile));
        lock.write(QByteArray::number(ended) + "\nminicom\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
    }
    const auto removeLock = qScopeGuard([&lockFile] {
        if (!lockFile.isEmpty())
            QFile::remove(lockFile);
    });

    // WHEN another program (another user, when this is root) opens it
    const QString output = openInAnotherProgram(sim.device());

    // THEN it says who holds it, or which file to delete
    QVERIFY2(output.section(QLatin1Char(' '), 0, 0).toInt() == number, qPrintable(output));
    QVERIFY2(output.contains(description), qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("/LCK..")), qPrintable(output));
}

qint64 MSCommTest::endedProcessId()
{
    // The highest process ids are the last to be given out.
    QFile maximum(QStringLiteral("/proc/sys/kernel/pid_max"));
    const qint64 highest =
        maximum.open(QIODevice::ReadOnly) ? maximum.readAll().trimmed().toLongLong() : 32768;
    for (qint64 pid = highest - 1; pid > highest - 1000; --pid) {
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            return pid;
    }
    return 0;
}

QString MSCommTest::openInAnotherProgram(const QString &device)
{
    const QString commProbe =
        qEnvironmentVariable("MIRAN_COMM_PROBE", QStringLiteral(COMM_PROBE_PATH));
    OtherUser::Result probe;
    if (OtherUser::needed()) {
        OtherUser nobody;
        probe = nobody.run(commProbe, {device});
    } else {
        QProcess process;
        process.start(commProbe, {device});
        probe.finished = process.waitForFinished(30'000);
        probe.exitCode = process.exitCode();
        probe.output = QString::fromLocal8Bit(process.readAllStandardOutput());
        probe.errors = QString::fromLocal8Bit(process.readAllStandardError());
    }
    if (!probe.finished || probe.exitCode != 0) {
        qWarning("comm_probe: %s", qPrintable(probe.errors));
        return {};
    }
    return probe.output.trimmed();
}

void MSCommTest::settingsText_data()
{
    QTest::addColumn<QString>("settings");
    // 0 when the settings are taken.
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");

    QTest::newRow("no rate") << ",n,8,1" << FailureNumber::InvalidPropertyValue
                             << "No baud rate is chosen";
    QTest::newRow("rate not a number")
        << "abc,n,8,1" << FailureNumber::InvalidPropertyValue << "\"abc\" is not a baud rate";
    QTest::newRow("rate too high") << "5000000,n,8,1" << FailureNumber::InvalidPropertyValue
                                   << "\"5000000\" is not a baud rate";
    QTest::newRow("rate outside the classic list") << "256000,n,8,1" << 0 << "";
}

void MSCommTest::settingsText()
{
    QFETCH(QString, settings);
    QFETCH(int, number);
    QFETCH(QString, description);
    SettingsStore store(m_scratch.filePath(QStringLiteral("settings.ini")));
    const PortMap portMap(store);
    MSComm comm(portMap);
    comm.setSettings(QStringLiteral("9600,n,8,1"));

    const std::optional<Failure> failure = failureOf([&] { comm.setSettings(settings); });
    if (number == 0) {
        QVERIFY2(!failure, failure ? qPrintable(failure->description()) : "");
        QCOMPARE(comm.baudRate(), settings.section(QLatin1Char(','), 0, 0).toInt());
        return;
    }
    QVERIFY(failure.has_value());
    QCOMPARE(failure->number(), number);
    QVERIFY2(failure->description().contains(description), qPrintable(failure->description()));
    // A refused text leaves the rate as it was.
    QCOMPARE(comm.baudRate(), 9600);
}

void MSCommTest::customRateReachesTheLine()
{
    // The modem only understands the request when the line really runs at
    // 256000, which no classic rate constant gives.
    SimWindow window({QStringLiteral("--baud"), QStringLiteral("256000")});
    QVERIFY2(window.start(), qPrintable(window.failure()));
    Form1Ui &ui = window.ui();
    ui.Combo2->setEditText(QStringLiteral("256000"));

    click(ui.Command7);
    QCOMPARE(ui.statusText(), kComplete);
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 10'000);
    QCOMPARE(window.fixture.serial().baudRate(), 256000);
    for (const ModemSim::Entry &entry : window.sim.log())
        QVERIFY2(entry.event != QLatin1String("GARBLED"), qPrintable(entry.detail));
}

void MSCommTest::unplugWhileOpen()
{
    // GIVEN a connected modem
    SimWindow window;
    QVERIFY2(window.connect(), qPrintable(window.failure()));
    Form1Ui &ui = window.ui();
    ModemSim &sim = window.sim;

    // WHEN it is unplugged
    sim.command(QStringLiteral("hangup"));

    // THEN the window shows the closed port and says why
    QTRY_COMPARE_WITH_TIMEOUT(ui.Command7->text(), QStringLiteral("Connect"), 10'000);
    // The reason is what happened, not a stale system error.
    const QString lost =
        QStringLiteral("Error!! The connection to %1 was lost (the device was removed).")
            .arg(sim.linkPath());
    QVERIFY2(ui.StatusPanel1->toolTip().startsWith(lost), qPrintable(ui.StatusPanel1->toolTip()));
    QCOMPARE(ui.statusText(), FailureStatus::lost(FailureNumber::DeviceLost));
    QVERIFY(!ui.Command2->isEnabled());
    QVERIFY(!ui.Command3->isEnabled());
    QVERIFY(!window.fixture.serial().portOpen());

    // AND the program idles: one second of event processing, measured.
    const auto used = cpuTimeWhileWaiting(1s);
    QVERIFY2(used < 0.3s, qPrintable(QStringLiteral("%1 s of processor time").arg(used.count())));

    // WHEN it is plugged in again, Connect reads it as before
    QVERIFY2(sim.plug(), qPrintable(sim.errorString()));
    click(ui.Command7);
    QCOMPARE(ui.statusText(), kComplete);
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 10'000);
    QVERIFY(ui.Command2->isEnabled());
    QVERIFY(window.fixture.dialogs.messages.isEmpty());
}

void MSCommTest::reconnectReadsAgain()
{
    SimWindow window;
    QVERIFY2(window.start(), qPrintable(window.failure()));
    Form1Ui &ui = window.ui();
    FormFixture &fixture = window.fixture;

    for (int round = 1; round <= 2; ++round) {
        click(ui.Command7);
        QCOMPARE(ui.statusText(), kComplete);
        QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 10'000);
        QVERIFY(ui.Command2->isEnabled());

        click(ui.Command7);
        QCOMPARE(ui.statusText(), QStringLiteral("Disconnected"));
        QCOMPARE(ui.Command7->text(), QStringLiteral("Connect"));
        QVERIFY(!ui.Command2->isEnabled());
        QVERIFY(!ui.Command3->isEnabled());
        QVERIFY(!fixture.serial().portOpen());
    }
    QTRY_COMPARE(window.sim.rxBursts().size(), 4);
    QVERIFY(fixture.dialogs.messages.isEmpty());
}

QTEST_MAIN(MSCommTest)
#include "tst_mscomm.moc"
