// SPDX-License-Identifier: GPL-3.0-or-later
// miran-cli and the window through a real kernel serial driver: a virtual
// machine with an emulated FTDI USB serial adapter in front of the simulated
// modem, udev's names for it, and real unplugs. Each test boots its own
// machine; a machine that fails (QEMU crashing, the guest not answering) is
// booted once more and then reported as the machine's fault.
#include "testmachine.h"

#include "support/sim/modemsim.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace std::chrono_literals;

namespace {
using Result = TestMachine::Result;
using Results = QHash<QString, Result>;

const QString kByIdPath = TestMachine::byIdPath();
const QString kLoss = QStringLiteral("was lost (the device was removed)");

QString imagesFolder()
{
    return qEnvironmentVariable("MIRAN_VM_IMAGES");
}

QString cli(const QString &arguments)
{
    return qEnvironmentVariable("MIRAN_CLI") + QLatin1Char(' ') + arguments;
}

// Waits, in the machine, until udev has named the adapter again.
QString adapterNamed()
{
    return QStringLiteral("udevadm settle --timeout=20; for i in $(seq 200); do "
                          "[ -e %1 ] && exit 0; sleep 0.1; done; exit 1")
        .arg(kByIdPath);
}

// The simulated modem's received bursts include "+++" from log entry from on.
bool entered(const ModemSim &sim, qsizetype from)
{
    return ModemSim::burstBytes(sim.rxBursts(from)).contains("+++");
}

void report(const QString &name, const Result &result)
{
    qInfo("%s: exit %d, %.2f s, %.2f s processor", qPrintable(name), result.exitCode, result.real,
          result.cpu());
}
} // namespace

class VmTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void commandLineThroughTheAdapter();
    void unplugDuringEachCommand();
    void windowThroughTheAdapter();

private:
    using Scenario = std::function<bool(TestMachine &, ModemSim &)>;
    // Boots a machine in front of a fresh simulated modem and plays the
    // scenario on it; a machine fault boots once more. False after two.
    bool onMachine(const QStringList &simOptions, const Scenario &scenario);
    // Runs one command in the machine into results under its id.
    static bool record(TestMachine &machine, Results &results, const QString &id,
                       const QString &command);
};

void VmTest::initTestCase()
{
    if (const std::optional<QString> missing = TestMachine::missing(imagesFolder()))
        QSKIP(qPrintable(*missing));
}

bool VmTest::onMachine(const QStringList &simOptions, const Scenario &scenario)
{
    QStringList faults;
    for (int attempt = 1; attempt <= 2; ++attempt) {
        ModemSim sim(QStringList{QStringLiteral("--config"), kSimConfiguration} + simOptions);
        if (!sim.isReady()) {
            qWarning("%s", qPrintable(sim.errorString()));
            return false;
        }
        TestMachine machine(imagesFolder(), sim.device());
        if (machine.boot() && scenario(machine, sim)) {
            machine.shutDown();
            qInfo("boot %lld ms, QEMU's peak memory %lld MiB",
                  static_cast<long long>(machine.bootTime().count()),
                  static_cast<long long>(machine.peakMemoryKiB() / 1024));
            return true;
        }
        faults.append(machine.fault());
        qWarning("the test machine failed (%s); its console:\n%s", qPrintable(machine.fault()),
                 qPrintable(machine.console()));
    }
    qWarning("the test machine failed twice: %s. That is a fault of the machine (QEMU), not of "
             "the program.",
             qPrintable(faults.join(QStringLiteral("; "))));
    return false;
}

bool VmTest::record(TestMachine &machine, Results &results, const QString &id,
                    const QString &command)
{
    const std::optional<Result> result = machine.run(id, command);
    if (!result)
        return false;
    results.insert(id, *result);
    report(id, *result);
    return true;
}

void VmTest::commandLineThroughTheAdapter()
{
    Results results;
    QByteArray written;
    const auto scenario = [&](TestMachine &machine, ModemSim &sim) {
        results.clear();
        const bool ran =
            record(machine, results, QStringLiteral("named"), adapterNamed()) &&
            record(machine, results, QStringLiteral("ports"), cli(QStringLiteral("ports"))) &&
            record(machine, results, QStringLiteral("portsJson"),
                   cli(QStringLiteral("ports --json"))) &&
            record(machine, results, QStringLiteral("readNode"),
                   cli(QStringLiteral("read --device /dev/ttyUSB0"))) &&
            record(machine, results, QStringLiteral("readById"),
                   cli(QStringLiteral("read --json --device ") + kByIdPath)) &&
            record(
                machine, results, QStringLiteral("write"),
                cli(QStringLiteral("write --device %1 --channel 20 --power 2").arg(kByIdPath))) &&
            record(machine, results, QStringLiteral("findDevice"),
                   cli(QStringLiteral("find --device /dev/ttyUSB0"))) &&
            record(machine, results, QStringLiteral("findEvery"), cli(QStringLiteral("find"))) &&
            record(machine, results, QStringLiteral("wrongRate"),
                   cli(QStringLiteral("read --device /dev/ttyUSB0 --baud 9600")));
        written = ran ? sim.configuration() : QByteArray();
        return ran;
    };
    QVERIFY(onMachine({}, scenario));

    QCOMPARE(results.value(QStringLiteral("named")).exitCode, 0);
    // ports: the adapter under its stable name, with its USB identity
    const Result &ports = results[QStringLiteral("ports")];
    QCOMPARE(ports.exitCode, 0);
    const QString portsLine = ports.out.split(QLatin1Char('\n')).filter(kByIdPath).value(0);
    QVERIFY2(portsLine.contains(QStringLiteral("\tMIRAN0001\t0403:6001")), qPrintable(ports.out));
    const QJsonArray devices =
        QJsonDocument::fromJson(results[QStringLiteral("portsJson")].out.toUtf8()).array();
    const auto adapter = std::find_if(devices.begin(), devices.end(), [](const QJsonValue &v) {
        return v.toObject().value(QLatin1String("path")).toString() == kByIdPath;
    });
    QVERIFY2(adapter != devices.end(), qPrintable(results[QStringLiteral("portsJson")].out));
    QCOMPARE(adapter->toObject().value(QLatin1String("systemPath")).toString(),
             QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(adapter->toObject().value(QLatin1String("vendorProduct")).toString(),
             QStringLiteral("0403:6001"));

    // read through the node and through the by-id name
    const Result &readNode = results[QStringLiteral("readNode")];
    QVERIFY2(readNode.exitCode == 0, qPrintable(readNode.describe()));
    QVERIFY2(readNode.out.contains(QStringLiteral("destination 7F7F7F7E\nmodule 0A01FF05\n")),
             qPrintable(readNode.out));
    const Result &readById = results[QStringLiteral("readById")];
    QVERIFY2(readById.exitCode == 0, qPrintable(readById.describe()));
    QCOMPARE(QJsonDocument::fromJson(readById.out.toUtf8())
                 .object()
                 .value(QLatin1String("channel"))
                 .toInt(),
             10);

    // write, checked by its own read-back and by what the modem holds
    const Result &write = results[QStringLiteral("write")];
    QVERIFY2(write.exitCode == 0, qPrintable(write.describe()));
    QCOMPARE(written.size(), 12);
    QCOMPARE(static_cast<quint8>(written.at(8)), quint8(20));
    QCOMPARE(static_cast<quint8>(written.at(9)), quint8(2));

    // find, with the device given and over every USB serial device
    const Result &findDevice = results[QStringLiteral("findDevice")];
    QVERIFY2(findDevice.exitCode == 0, qPrintable(findDevice.describe()));
    QCOMPARE(findDevice.out, QStringLiteral("/dev/ttyUSB0 38400\n"));
    const Result &findEvery = results[QStringLiteral("findEvery")];
    QVERIFY2(findEvery.exitCode == 0, qPrintable(findEvery.describe()));
    QCOMPARE(findEvery.out, kByIdPath + QStringLiteral(" 38400\n"));

    // a standard rate the modem does not use: no configuration, exit 3
    const Result &wrongRate = results[QStringLiteral("wrongRate")];
    QVERIFY2(wrongRate.exitCode == 3, qPrintable(wrongRate.describe()));
    QVERIFY(wrongRate.out.isEmpty());
}

void VmTest::unplugDuringEachCommand()
{
    Results results;
    // Each command is started, the adapter pulled out once the modem has
    // heard "+++", and put back; then a read must work again.
    const QList<std::pair<QString, QString>> commands{
        {QStringLiteral("read"), cli(QStringLiteral("read --device ") + kByIdPath)},
        {QStringLiteral("write"),
         cli(QStringLiteral("write --device %1 --power 1").arg(kByIdPath))},
        {QStringLiteral("find"), cli(QStringLiteral("find"))}};
    int cycles = 0;
    const auto scenario = [&](TestMachine &machine, ModemSim &sim) {
        results.clear();
        if (!record(machine, results, QStringLiteral("named"), adapterNamed()) ||
            !record(machine, results, QStringLiteral("baseline"),
                    cli(QStringLiteral("read --device ") + kByIdPath)))
            return false;
        for (const auto &[id, command] : commands) {
            const qsizetype mark = sim.log().size();
            if (!machine.start(id, command))
                return false;
            if (!QTest::qWaitFor([&] { return entered(sim, mark); }, 30'000))
                qWarning("the modem never heard \"+++\" from %s", qPrintable(id));
            if (!machine.unplug())
                return false;
            const std::optional<Result> result = machine.wait(id);
            if (!result || !machine.replug())
                return false;
            ++cycles;
            results.insert(id, *result);
            report(id, *result);
            if (!record(machine, results, id + QStringLiteral("Named"), adapterNamed()) ||
                !record(machine, results, id + QStringLiteral("Again"),
                        cli(QStringLiteral("read --device ") + kByIdPath)))
                return false;
        }
        return true;
    };
    QVERIFY(onMachine({}, scenario));
    qInfo("%d unplug cycles", cycles);

    const Result &baseline = results[QStringLiteral("baseline")];
    QVERIFY2(baseline.exitCode == 0, qPrintable(baseline.describe()));
    for (const auto &[id, command] : commands) {
        const Result &lost = results[id];
        QVERIFY2(lost.exitCode == 5, qPrintable(id + QLatin1Char(' ') + lost.describe()));
        // One reason whatever the driver's timing, in a shell's words.
        QVERIFY2(lost.err.contains(kLoss), qPrintable(lost.err));
        QVERIFY2(!lost.err.contains(QStringLiteral("press")), qPrintable(lost.err));
        // It ends soon after the loss, not at the machine's time limit.
        QVERIFY2(lost.real < 20, qPrintable(lost.describe()));
        QCOMPARE(results[id + QStringLiteral("Named")].exitCode, 0);
        const Result &again = results[id + QStringLiteral("Again")];
        QVERIFY2(again.exitCode == 0, qPrintable(id + QLatin1Char(' ') + again.describe()));
    }
}

void VmTest::windowThroughTheAdapter()
{
    Results results;
    int cycles = 0;
    const auto scenario = [&](TestMachine &machine, ModemSim &) {
        results.clear();
        if (!record(machine, results, QStringLiteral("named"), adapterNamed()))
            return false;
        const QString id = QStringLiteral("window");
        if (!machine.start(id,
                           QStringLiteral("MIRAN_VM_DEVICE=%1 MIRAN_VM_SHARED=%2 %3")
                               .arg(kByIdPath, machine.sharedPath({}),
                                    qEnvironmentVariable("MIRAN_VM_WINDOW")),
                           120s))
            return false;
        // The window's test asks for the unplug and the replug by leaving
        // a file in the shared folder, and waits for the answer beside it.
        const auto answer = [&machine](const QString &asked, const QString &done,
                                       const std::function<bool()> &act) {
            if (!QFileInfo::exists(machine.sharedPath(asked)) ||
                QFileInfo::exists(machine.sharedPath(done)))
                return true;
            QFile note(machine.sharedPath(done));
            return act() && note.open(QIODevice::WriteOnly);
        };
        while (!machine.hasEnded(id)) {
            QTest::qWait(50);
            if (!answer(QStringLiteral("unplug"), QStringLiteral("unplugged"),
                        [&machine] { return machine.unplug(); }) ||
                !answer(QStringLiteral("replug"), QStringLiteral("replugged"), [&] {
                    ++cycles;
                    return machine.replug();
                }))
                return false;
        }
        const std::optional<Result> window = machine.wait(id);
        if (window)
            results.insert(id, *window);
        return window.has_value();
    };
    QVERIFY(onMachine({}, scenario));
    QCOMPARE(results.value(QStringLiteral("named")).exitCode, 0);
    const Result &window = results[QStringLiteral("window")];
    QVERIFY2(window.exitCode == 0, qPrintable(window.describe()));
    // All of its tests ran in the machine; none was skipped.
    QVERIFY2(window.out.contains(QStringLiteral("Totals: 5 passed, 0 failed, 0 skipped")),
             qPrintable(window.out));
    QCOMPARE(cycles, 1);
}

QTEST_GUILESS_MAIN(VmTest)
#include "tst_vm.moc"
