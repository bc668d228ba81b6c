// SPDX-License-Identifier: GPL-3.0-or-later
// miran-cli on several devices in one run: each device in a run of its own,
// all at once, results in the order given, and the worst exit code.
#include "cli/cliarguments.h"
#include "cli/cliresults.h"
#include "support/sim/cliprogram.h"
#include "support/sim/modemsim.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <memory>
#include <vector>

namespace {
constexpr int kRunTimeoutMs = 60'000;

// The configuration of modem n, with its last four bytes as hex.
QString configuration(int n, const char *lastFour)
{
    return QStringLiteral("7F7F7F7E0A01FF0") + QString::number(n) + QLatin1String(lastFour);
}

// Simulated modems, each with a configuration of its own: 0A01FF0n as its
// module address.
std::vector<std::unique_ptr<ModemSim>> startModems(int count)
{
    std::vector<std::unique_ptr<ModemSim>> sims;
    for (int i = 1; i <= count; ++i) {
        sims.push_back(std::make_unique<ModemSim>(
            QStringList{QStringLiteral("--config"), configuration(i, "0A031E1E")}));
    }
    return sims;
}

QList<QJsonObject> jsonLines(const QString &out)
{
    QList<QJsonObject> objects;
    for (const QString &line : out.split('\n', Qt::SkipEmptyParts))
        objects.append(QJsonDocument::fromJson(line.toUtf8()).object());
    return objects;
}

CliChild::Result ended(int exitCode)
{
    CliChild::Result result;
    result.exitCode = exitCode;
    return result;
}
} // namespace

class CliManyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void readsThreeModemsAsJson();
    void writesTwoModems();
    void missingDeviceFailsAlone();
    void resultsFollowTheGivenOrder();
    void devicesFromAFile_data();
    void devicesFromAFile();
    void oneListedDeviceRunsAsAlone();
    void duplicateDeviceIsRefused_data();
    void duplicateDeviceIsRefused();
    void signalReachesEveryRun();
    void worstExitCode_data();
    void worstExitCode();
    void childArgumentsLoseTheDevices();

private:
    CliRun run(const QStringList &arguments, const QByteArray &input = {}) const
    {
        return m_cli->run(arguments, input);
    }
    void start(QProcess &process, const QStringList &arguments) const
    {
        m_cli->start(process, arguments);
    }
    QString writeFile(const QString &name, const QByteArray &content) const;

    std::unique_ptr<CliProgram> m_cli;
};

void CliManyTest::init()
{
    m_cli = std::make_unique<CliProgram>();
    QVERIFY(m_cli->isValid());
}

QString CliManyTest::writeFile(const QString &name, const QByteArray &content) const
{
    QFile file(m_cli->filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return {};
    return file.fileName();
}

void CliManyTest::readsThreeModemsAsJson()
{
    const auto sims = startModems(3);
    for (const auto &sim : sims)
        QVERIFY2(sim->isReady(), qPrintable(sim->errorString()));

    // Given last to first: the output follows the order given.
    const CliRun result = run({"read", "--json", "--device", sims[2]->linkPath(), "--device",
                               sims[1]->linkPath(), "--device", sims[0]->linkPath()});

    QCOMPARE(result.err, QString());
    QCOMPARE(result.code, 0);
    const QList<QJsonObject> objects = jsonLines(result.out);
    QCOMPARE(objects.size(), 3);
    for (int i = 0; i < 3; ++i) {
        ModemSim &sim = *sims[static_cast<size_t>(2 - i)];
        QCOMPARE(objects[i].value("device").toString(), sim.linkPath());
        QCOMPARE(objects[i].value("module").toString(), QStringLiteral("0A01FF0%1").arg(3 - i));
        QCOMPARE(objects[i].value("bytes").toString().toLatin1(),
                 sim.configuration().toHex().toUpper());
        QTRY_COMPARE(ModemSim::burstBytes(sim.rxBursts()), (QList<QByteArray>{"+++", "---"}));
    }
    // The device comes first, then the single run's own keys in their order.
    QVERIFY2(result.out.startsWith("{\"device\":\"" + sims[2]->linkPath() +
                                   "\",\"destination\":\"7F7F7F7E\",\"module\":"),
             qPrintable(result.out));
}

void CliManyTest::writesTwoModems()
{
    const auto sims = startModems(2);
    for (const auto &sim : sims)
        QVERIFY2(sim->isReady(), qPrintable(sim->errorString()));

    const CliRun result = run({"write", "--device", sims[0]->linkPath(), "--device",
                               sims[1]->linkPath(), "--channel", "12", "--power", "2"});

    QCOMPARE(result.err, QString());
    QCOMPARE(result.code, 0);
    const QString config = "destination 7F7F7F7E\nmodule 0A01FF0%1\nchannel 12\npower 2\n"
                           "tx-size 30\nrx-size 30\n";
    QCOMPARE(result.out, "==> " + sims[0]->linkPath() + " <==\n" + config.arg(1) + "\n==> " +
                             sims[1]->linkPath() + " <==\n" + config.arg(2));
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(sims[static_cast<size_t>(i)]->configuration(),
                 QByteArray::fromHex(configuration(i + 1, "0C021E1E").toLatin1()));
    }
}

void CliManyTest::missingDeviceFailsAlone()
{
    ModemSim sim({QStringLiteral("--config"), kSimConfiguration});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorString()));
    const QString missing = m_cli->filePath(QStringLiteral("ttyUSB9"));

    const CliRun result = run({"read", "--device", sim.linkPath(), "--device", missing, "--json"});

    QCOMPARE(result.code, 5);
    const QList<QJsonObject> objects = jsonLines(result.out);
    QCOMPARE(objects.size(), 2);
    QCOMPARE(objects[0].value("device").toString(), sim.linkPath());
    QCOMPARE(objects[0].value("bytes").toString(), kSimConfiguration);
    QCOMPARE(objects[1].value("device").toString(), missing);
    QCOMPARE(objects[1].value("exitCode").toInt(), 5);
    const QJsonArray error = objects[1].value("error").toArray();
    QCOMPARE(error.size(), 1);
    QVERIFY2(error[0].toString().startsWith("There is no device " + missing),
             qPrintable(result.out));
    // The message on standard error names its device.
    QVERIFY2(result.err.startsWith("miran-cli: " + missing + ": There is no device " + missing),
             qPrintable(result.err));
    QVERIFY2(!result.err.contains(sim.linkPath()), qPrintable(result.err));
}

void CliManyTest::resultsFollowTheGivenOrder()
{
    // GIVEN a modem that does not answer, which takes longest, given first
    ModemSim silent({QStringLiteral("--no-answer")});
    ModemSim sim({QStringLiteral("--config"), kSimConfiguration});
    QVERIFY2(silent.isReady(), qPrintable(silent.errorString()));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorString()));

    // WHEN both are read
    const CliRun result = run({"read", "--device", silent.linkPath(), "--device", sim.linkPath()});

    // THEN the silent one comes first, the exit code is its own
    QCOMPARE(result.code, 3);
    const QString failed =
        "failed (exit 3): No Response from Modem. Check Comms Port & Baud rate\n";
    QCOMPARE(result.out, "==> " + silent.linkPath() + " <==\n" + failed + "\n==> " +
                             sim.linkPath() + " <==\n" +
                             "destination 7F7F7F7E\nmodule 0A01FF05\nchannel 10\npower 3\n"
                             "tx-size 30\nrx-size 30\n");
    QCOMPARE(result.err, "miran-cli: " + silent.linkPath() +
                             ": No Response from Modem. Check Comms Port & Baud rate\n");
}

void CliManyTest::devicesFromAFile_data()
{
    QTest::addColumn<bool>("standardInput");
    QTest::newRow("file") << false;
    QTest::newRow("standard input") << true;
}

void CliManyTest::devicesFromAFile()
{
    QFETCH(bool, standardInput);
    const auto sims = startModems(3);
    for (const auto &sim : sims)
        QVERIFY2(sim->isReady(), qPrintable(sim->errorString()));
    const QByteArray list = "# the bench\n\n  " + sims[1]->linkPath().toUtf8() + "  \n" + "#" +
                            sims[0]->linkPath().toUtf8() + "\n" + sims[2]->linkPath().toUtf8();
    const QString file = standardInput ? QStringLiteral("-") : writeFile("devices", list);
    QVERIFY(!file.isEmpty());

    // --device first, then the file's devices in their order; a commented
    // line is no device.
    const CliRun result =
        run({"read", "--json", "--device", sims[0]->linkPath(), "--devices", file},
            standardInput ? list : QByteArray());

    QCOMPARE(result.err, QString());
    QCOMPARE(result.code, 0);
    const QList<QJsonObject> objects = jsonLines(result.out);
    QCOMPARE(objects.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(objects[i].value("device").toString(), sims[static_cast<size_t>(i)]->linkPath());
        QCOMPARE(objects[i].value("module").toString(), QStringLiteral("0A01FF0%1").arg(i + 1));
    }
}

void CliManyTest::oneListedDeviceRunsAsAlone()
{
    ModemSim sim({QStringLiteral("--config"), kSimConfiguration});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorString()));
    const QString file = writeFile("devices", sim.linkPath().toUtf8() + "\n");

    const CliRun listed = run({"read", "--devices", file});
    const CliRun alone = run({"read", "--device", sim.linkPath()});

    QCOMPARE(listed.code, 0);
    QCOMPARE(listed.out, alone.out);
    QCOMPARE(listed.err, alone.err);
    QVERIFY2(listed.out.startsWith("destination 7F7F7F7E\n"), qPrintable(listed.out));
}

void CliManyTest::duplicateDeviceIsRefused_data()
{
    QTest::addColumn<bool>("throughLink");
    QTest::addColumn<bool>("inFile");
    QTest::newRow("same path twice") << false << false;
    QTest::newRow("link and the device behind it") << true << false;
    QTest::newRow("in the file and as --device") << false << true;
}

void CliManyTest::duplicateDeviceIsRefused()
{
    QFETCH(bool, throughLink);
    QFETCH(bool, inFile);
    ModemSim sim({QStringLiteral("--config"), kSimConfiguration});
    ModemSim other({QStringLiteral("--config"), kSimConfiguration});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorString()));
    QVERIFY2(other.isReady(), qPrintable(other.errorString()));
    const QString second = throughLink ? sim.device() : sim.linkPath();
    QStringList arguments{"write", "--power", "1", "--device", sim.linkPath()};
    if (inFile)
        arguments << "--devices"
                  << writeFile("devices", other.linkPath().toUtf8() + "\n" + second.toUtf8());
    else
        arguments << "--device" << other.linkPath() << "--device" << second;

    const CliRun result = run(arguments);

    QCOMPARE(result.code, 2);
    QCOMPARE(result.out, QString());
    const QString also = throughLink ? " (also as " + sim.linkPath() + ")" : QString();
    QCOMPARE(result.err, "miran-cli: the device " + second + " is given twice" + also +
                             ": two runs on one port would fight. Give each device once.\n"
                             "Try 'miran-cli write --help'.\n");
    // Nothing reached either modem.
    QTest::qWait(200);
    QVERIFY(sim.rxBursts().isEmpty());
    QVERIFY(other.rxBursts().isEmpty());
}

void CliManyTest::signalReachesEveryRun()
{
    const auto sims = startModems(2);
    for (const auto &sim : sims)
        QVERIFY2(sim->isReady(), qPrintable(sim->errorString()));
    QProcess process;
    start(process, {"write", "--device", sims[0]->linkPath(), "--device", sims[1]->linkPath(),
                    "--power", "1"});
    QVERIFY(process.waitForStarted(kRunTimeoutMs));
    // GIVEN both runs in the write's command mode
    for (const auto &sim : sims)
        QTRY_VERIFY_WITH_TIMEOUT(sim->rxBursts().size() >= 3, 10'000);

    // WHEN the parent alone is sent SIGTERM
    QCOMPARE(::kill(static_cast<pid_t>(process.processId()), SIGTERM), 0);
    QVERIFY(process.waitForFinished(kRunTimeoutMs));

    // THEN the run exits as one run would, and each modem was taken out of
    // command mode holding its old configuration or the whole new one
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 128 + SIGTERM);
    for (int i = 0; i < 2; ++i) {
        ModemSim &sim = *sims[static_cast<size_t>(i)];
        QTRY_COMPARE(ModemSim::burstBytes(sim.rxBursts()).constLast(), QByteArray("---"));
        QTest::qWait(200);
        const QList<QByteArray> wire = ModemSim::burstBytes(sim.rxBursts());
        QCOMPARE(wire.mid(0, 3), (QList<QByteArray>{"+++", "---", "+++"}));
        QVERIFY2(wire.size() == 4 || wire.size() == 5, qPrintable(QString::number(wire.size())));
        const QByteArray before = QByteArray::fromHex(configuration(i + 1, "0A031E1E").toLatin1());
        QCOMPARE(sim.configuration(), wire.size() == 4 ? before : wire.at(3));
        QCOMPARE(sim.log().constLast().detail, QStringLiteral("data"));
    }
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    for (const auto &sim : sims)
        QVERIFY2(out.contains("==> " + sim->linkPath() + " <==\nfailed (exit 143)\n"),
                 qPrintable(out));
}

void CliManyTest::worstExitCode_data()
{
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<int>("worst");

    QTest::newRow("all good") << QList<int>{0, 0} << 0;
    QTest::newRow("no answer over success") << QList<int>{0, 3, 0} << 3;
    QTest::newRow("not taken over no answer") << QList<int>{3, 4} << 4;
    QTest::newRow("port over not taken") << QList<int>{4, 5, 3} << 5;
    QTest::newRow("usage over port") << QList<int>{5, 2} << 2;
    QTest::newRow("not started over usage") << QList<int>{2, 1, 5} << 1;
    QTest::newRow("signal over everything") << QList<int>{1, 130, 5} << 130;
    QTest::newRow("the first of two signals") << QList<int>{143, 130} << 143;
}

void CliManyTest::worstExitCode()
{
    QFETCH(QList<int>, codes);
    QFETCH(int, worst);
    QList<CliChild::Result> results;
    for (const int code : codes)
        results.append(ended(code));
    QCOMPARE(CliResults::exitCode(results), worst);
}

void CliManyTest::childArgumentsLoseTheDevices()
{
    const QStringList arguments{"write",           "--device", "/dev/a", "--from",
                                "--device",        "--baud",   "9600",   "--devices=list",
                                "--device=/dev/b", "--power",  "2"};
    QCOMPARE(CliArguments::parse(arguments).error, QString());
    // A value that looks like an option stays with its option.
    QCOMPARE(CliArguments::withoutDevices(arguments),
             (QStringList{"write", "--from", "--device", "--baud", "9600", "--power", "2"}));
}

QTEST_GUILESS_MAIN(CliManyTest)
#include "tst_climany.moc"
