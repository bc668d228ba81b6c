// SPDX-License-Identifier: GPL-3.0-or-later
// The command line read into a request: which lines are taken, and how a bad
// value is refused before anything touches a port.
#include "cli/cliarguments.h"
#include "cli/clihelp.h"
#include "cli/clioption.h"

#include <QTest>

namespace {
using Command = CliRequest::Command;

// The request as one line, so that a table row can say all of it.
QString summary(const CliRequest &request)
{
    QStringList parts{CliArguments::commandName(request.command)};
    if (!request.device.isEmpty())
        parts << "device=" + request.device;
    if (!request.devices.isEmpty())
        parts << "devices=" + request.devices.join(',');
    if (!request.devicesFile.isEmpty())
        parts << "list=" + request.devicesFile;
    if (request.comm != 0)
        parts << "comm=" + QString::number(request.comm);
    parts << "baud=" + QString::number(request.baud);
    if (request.json)
        parts << "json";
    for (const ModemConfig::Setting setting : ModemConfig::kSettings) {
        const auto &edit = request.edits[static_cast<size_t>(setting)];
        if (edit)
            parts << ModemConfig::name(setting) + "=" + QString::number(*edit, 16).toUpper();
    }
    if (!request.fromFile.isEmpty())
        parts << "from=" + request.fromFile;
    return parts.join(' ');
}
} // namespace

class CliArgumentsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void takesGoodLines_data();
    void takesGoodLines();
    void refusesBadLines_data();
    void refusesBadLines();
    void helpAndVersion_data();
    void helpAndVersion();
    void helpListsEachOption();
};

void CliArgumentsTest::takesGoodLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("request");

    QTest::newRow("ports") << QStringList{"ports"} << "ports baud=38400";
    QTest::newRow("ports as json") << QStringList{"ports", "--json"} << "ports baud=38400 json";
    QTest::newRow("read a device at the default rate")
        << QStringList{"read", "--device", "/dev/ttyUSB0"} << "read device=/dev/ttyUSB0 baud=38400";
    QTest::newRow("read a comm port at 9600, as json")
        << QStringList{"read", "--comm", "3", "--baud", "9600", "--json"}
        << "read comm=3 baud=9600 json";
    QTest::newRow("option=value form")
        << QStringList{"read", "--comm=255", "--baud=256000"} << "read comm=255 baud=256000";
    QTest::newRow("write every value, hex in either case")
        << QStringList{"write",    "--device",  "/dev/x", "--destination", "7f7F7f7E", "--module",
                       "0A01FF05", "--channel", "0",      "--power",       "255",      "--tx-size",
                       "30",       "--rx-size", "007"}
        << "write device=/dev/x baud=38400 destination=7F7F7F7E module=A01FF05 channel=0 "
           "power=FF tx-size=1E rx-size=7";
    QTest::newRow("write from a file") << QStringList{"write", "--comm", "1", "--from", "a.json"}
                                       << "write comm=1 baud=38400 from=a.json";
    QTest::newRow("write from standard input, one value over it")
        << QStringList{"write", "--comm", "1", "--from", "-", "--module", "00000001"}
        << "write comm=1 baud=38400 module=1 from=-";
    QTest::newRow("a value holding =") << QStringList{"read", "--device=rfc2217://h:1?a=b"}
                                       << "read device=rfc2217://h:1?a=b baud=38400";
    QTest::newRow("values that look like options")
        << QStringList{"write", "--device", "--json", "--from", "-h=x"}
        << "write device=--json baud=38400 from=-h=x";
    QTest::newRow("several devices and a list")
        << QStringList{"find", "--device", "/dev/a", "--devices=-", "--device=/dev/b"}
        << "find devices=/dev/a,/dev/b list=- baud=38400";
    QTest::newRow("find everywhere") << QStringList{"find"} << "find baud=38400";
    QTest::newRow("find on a device") << QStringList{"find", "--device", "/dev/ttyACM0", "--json"}
                                      << "find device=/dev/ttyACM0 baud=38400 json";
}

void CliArgumentsTest::takesGoodLines()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, request);
    const CliArguments::Result result = CliArguments::parse(arguments);
    QCOMPARE(result.error, QString());
    QCOMPARE(summary(result.request), request);
}

void CliArgumentsTest::refusesBadLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    // The whole message: it names the option and the form it takes.
    QTest::addColumn<QString>("error");

    const QStringList write{"write", "--device", "/dev/x"};
    const QString byteForm = "give a whole decimal number from 0 to 255.";
    const QString addressForm = "give exactly 8 hexadecimal digits.";

    QTest::newRow("no command") << QStringList{} << "no command given.";
    QTest::newRow("unknown command") << QStringList{"dump"} << "unknown command \"dump\".";
    QTest::newRow("option before the command") << QStringList{"--device", "/dev/x", "read"}
                                               << "unknown option --device; a command comes first.";
    QTest::newRow("long form of -h first")
        << QStringList{"--h"} << "unknown option --h; a command comes first.";
    QTest::newRow("channel above 255")
        << write + QStringList{"--channel", "256"} << "--channel \"256\" is not valid: " + byteForm;
    QTest::newRow("empty number") << write + QStringList{"--power="}
                                  << "--power \"\" is not valid: " + byteForm;
    QTest::newRow("address of 7 digits")
        << write + QStringList{"--destination", "7F7F7F7"}
        << "--destination \"7F7F7F7\" is not valid: " + addressForm;
    QTest::newRow("comm 0") << QStringList{"read", "--comm", "0"}
                            << "--comm \"0\" is not valid: give a comm port number from 1 to 255.";
    QTest::newRow("baud not a number")
        << QStringList{"read", "--comm", "1", "--baud", "fast"}
        << "--baud \"fast\" is not valid: give a whole number of baud from 1 to 4000000.";
    QTest::newRow("baud 0") << QStringList{"read", "--comm", "1", "--baud", "0"}
                            << "--baud \"0\" is not valid: give a whole number of baud from 1 to "
                               "4000000.";
    QTest::newRow("read without a port")
        << QStringList{"read", "--json"} << "read needs the port: --device PATH or --comm N.";
    QTest::newRow("both device and comm")
        << QStringList{"read", "--device", "/dev/x", "--comm", "2"}
        << "give either --device or --comm, not both.";
    QTest::newRow("write with nothing to write")
        << write
        << "write needs a value to write: --destination, --module, --channel, --power, "
           "--tx-size, --rx-size or --from FILE.";
    QTest::newRow("option of another command")
        << QStringList{"read", "--comm", "1", "--power", "3"} << "read takes no option --power.";
    QTest::newRow("json on write")
        << write + QStringList{"--power", "3", "--json"} << "write takes no option --json.";
    QTest::newRow("given twice") << write + QStringList{"--power", "3", "--power", "2"}
                                 << "--power is given twice.";
    QTest::newRow("missing value") << QStringList{"read", "--comm"} << "--comm needs a value.";
    QTest::newRow("value on a switch")
        << QStringList{"ports", "--json=yes"} << "--json takes no value.";
    QTest::newRow("unknown option")
        << QStringList{"read", "--comm", "1", "--bogus=1"} << "read takes no option --bogus.";
    // The parser would take these for -h, --device and the end of the options.
    QTest::newRow("long form of -h")
        << QStringList{"read", "--comm", "1", "--h"} << "read takes no option --h.";
    QTest::newRow("option with one dash")
        << QStringList{"read", "-device", "/dev/x"} << "read takes no option -device.";
    QTest::newRow("double dash") << QStringList{"read", "--comm", "1", "--", "--json"}
                                 << "read takes no option --.";
    QTest::newRow("lone dash") << QStringList{"read", "--comm", "1", "-"}
                               << "read takes no option -.";
    QTest::newRow("first fault wins")
        << write + QStringList{"--channel", "999", "--bogus", "--power"}
        << "--channel \"999\" is not valid: " + byteForm;
    QTest::newRow("empty device") << QStringList{"read", "--device="}
                                  << "--device needs the path of a serial device.";
    QTest::newRow("device list and comm") << QStringList{"find", "--devices", "list", "--comm", "2"}
                                          << "give either --devices or --comm, not both.";
    QTest::newRow("two from standard input")
        << QStringList{"write", "--devices", "-", "--from", "-"}
        << "--devices and --from cannot both read standard input: give one of them a file.";
    QTest::newRow("stray word") << QStringList{"read", "--comm", "1", "now"}
                                << "unexpected argument \"now\".";
}

void CliArgumentsTest::refusesBadLines()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    QCOMPARE(CliArguments::parse(arguments).error, error);
}

void CliArgumentsTest::helpAndVersion_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("topic");

    const int help = static_cast<int>(Command::Help);
    QTest::newRow("tool help") << QStringList{"--help"} << help << "";
    QTest::newRow("short tool help") << QStringList{"-h"} << help << "";
    QTest::newRow("help word with a command") << QStringList{"help", "write"} << help << "write";
    QTest::newRow("command help") << QStringList{"read", "--help"} << help << "read";
    // Help wins over a bad value beside it.
    QTest::newRow("help beside a bad value")
        << QStringList{"write", "--channel", "999", "-h"} << help << "write";
    QTest::newRow("version") << QStringList{"--version"} << static_cast<int>(Command::Version)
                             << "";
}

void CliArgumentsTest::helpAndVersion()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, command);
    QFETCH(QString, topic);
    const CliArguments::Result result = CliArguments::parse(arguments);
    QCOMPARE(result.error, QString());
    QCOMPARE(static_cast<int>(result.request.command), command);
    QCOMPARE(result.request.helpTopic, topic);
}

// Every option of the table is on one line of the help of each command that
// takes it, with a gap before its text, and on none of the others'.
void CliArgumentsTest::helpListsEachOption()
{
    const QList<std::pair<Command, QString>> helps{{Command::Help, ""},
                                                   {Command::Ports, "ports"},
                                                   {Command::Read, "read"},
                                                   {Command::Write, "write"},
                                                   {Command::Find, "find"}};
    for (const auto &[command, topic] : helps) {
        const QStringList lines = CliHelp::text(topic).split('\n');
        for (const CliOption &option : CliOption::all()) {
            const QString start = "  " + option.synopsis() + "  ";
            const auto count =
                std::count_if(lines.cbegin(), lines.cend(),
                              [&](const QString &line) { return line.startsWith(start); });
            QVERIFY2(count == (option.takenBy(command) ? 1 : 0),
                     qPrintable(option.synopsis() + " in the help of " + topic));
        }
    }
}

QTEST_GUILESS_MAIN(CliArgumentsTest)
#include "tst_cliarguments.moc"
