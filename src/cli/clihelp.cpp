// SPDX-License-Identifier: GPL-3.0-or-later
#include "clihelp.h"

#include "clioption.h"

#include "serial/portmap.h"
#include "serial/serialdevices.h"
#include "system/application.h"

#include <algorithm>

using Command = CliRequest::Command;

namespace {
// Read, write and find line their options up alike, so the port options they
// share read the same in each help; another help lines them up two past its
// widest.
constexpr qsizetype kPortColumn = 21;

// The lines of the options that command takes, in the table's order.
QString optionLines(Command command)
{
    QList<const CliOption *> shown;
    qsizetype widest = 0;
    for (const CliOption &option : CliOption::all()) {
        if (option.takenBy(command)) {
            shown.append(&option);
            widest = std::max(widest, option.synopsis().size());
        }
    }
    const bool port =
        command == Command::Read || command == Command::Write || command == Command::Find;
    const qsizetype column = port ? kPortColumn : widest + 2;
    const QString indent(2, QLatin1Char(' '));
    QString lines;
    for (const CliOption *option : shown) {
        QString synopsis = option->synopsis().leftJustified(column);
        for (const QString &line : option->help(command).split(QLatin1Char('\n'))) {
            lines += indent + synopsis + line + QLatin1Char('\n');
            synopsis.fill(QLatin1Char(' '));
        }
    }
    return lines;
}

QString severalDevices()
{
    return QStringLiteral(
        "Several devices run at the same time, each in a miran-cli of its own, and\n"
        "their results come in the order the devices were given: each after a line\n"
        "\"==> DEVICE <==\", or with --json one object a line with \"device\" added\n"
        "(for a device that failed: {\"device\", \"error\", \"exitCode\"}). Messages\n"
        "name their device. A device given twice is refused.\n"
        "\n");
}

QString exitCodes()
{
    return QStringLiteral("Exit codes:\n"
                          "  0  success\n"
                          "  1  the run for one of several devices could not be started\n"
                          "  2  usage or a bad value (nothing was sent)\n"
                          "  3  the modem did not answer with exactly its 12 configuration bytes\n"
                          "  4  the modem did not take a written value\n"
                          "  5  the port cannot be opened, or was lost during the run\n"
                          "  128+N  ended by signal N (130 Ctrl-C, 143 SIGTERM, 129 SIGHUP);\n"
                          "         a modem in command mode was sent \"---\" first\n"
                          "With several devices: the worst of theirs, in this order: 128+N, 1, 2,\n"
                          "5, 4, 3, 0.\n");
}

QString toolHelp()
{
    return QStringLiteral("Usage: miran-cli COMMAND [OPTIONS]\n"
                          "\n"
                          "Reads and writes a radio modem's configuration from a shell.\n"
                          "\n"
                          "Commands:\n"
                          "  ports   list the serial devices present\n"
                          "  read    print the modem's configuration\n"
                          "  write   change values of the configuration, then check them\n"
                          "  find    find the port and baud rate a modem answers at\n"
                          "\n") +
           optionLines(Command::Help) + QLatin1Char('\n') + exitCodes();
}

QString portsHelp()
{
    return QStringLiteral(
               "Usage: miran-cli ports [--json]\n"
               "\n"
               "Prints the serial devices present, one a line: %1, description, manufacturer,\n"
               "serial number and vendor:product.\n"
               "\n")
               .arg(SerialDevices::byIdFolder().isEmpty()
                        ? QStringLiteral("the port's name\n(%1)").arg(PortMap::exampleDevice())
                        : QStringLiteral("the path (the stable\n%1 path where one exists)")
                              .arg(SerialDevices::byIdFolder())) +
           optionLines(Command::Ports);
}

QString readHelp()
{
    return QStringLiteral("Usage: miran-cli read (--device PATH | --comm N) [--baud RATE] "
                          "[--json]\n"
                          "       miran-cli read [--device PATH]... [--devices FILE] "
                          "[--baud RATE] [--json]\n"
                          "\n"
                          "Opens the port at RATE,n,8,1, reads the configuration back (\"+++\",\n"
                          "0.1 s, \"---\") and prints it as six lines:\n"
                          "  destination 7F7F7F7E\n"
                          "  module 0A01FF05\n"
                          "  channel 10\n"
                          "  power 3\n"
                          "  tx-size 30\n"
                          "  rx-size 30\n"
                          "\n") +
           optionLines(Command::Read) + QLatin1Char('\n') + severalDevices() + exitCodes();
}

QString writeHelp()
{
    return QStringLiteral("Usage: miran-cli write (--device PATH | --comm N) [--baud RATE] "
                          "[VALUES] [--from FILE]\n"
                          "       miran-cli write [--device PATH]... [--devices FILE] "
                          "[--baud RATE] [VALUES] [--from FILE]\n"
                          "\n"
                          "Reads the configuration, replaces the values given, writes it as the\n"
                          "window's Set does, reads it back and prints what the modem reports.\n"
                          "Exits 0 only when the modem reports exactly what was sent.\n"
                          "\n") +
           optionLines(Command::Write) +
           QStringLiteral("\n"
                          "Values are checked before the port is opened; a bad one sends nothing.\n"
                          "\n") +
           severalDevices() + exitCodes();
}

QString findHelp()
{
    return QStringLiteral("Usage: miran-cli find [--device PATH | --comm N] [--json]\n"
                          "       miran-cli find [--device PATH]... [--devices FILE] [--json]\n"
                          "\n"
                          "Tries the ten baud rates on the port, or on every USB serial device\n"
                          "when no port is given, sending \"+++\" and always \"---\" after it.\n"
                          "Prints \"PATH RATE\" for the first modem that answers.\n"
                          "\n") +
           optionLines(Command::Find) + QLatin1Char('\n') + severalDevices() + exitCodes();
}
} // namespace

QString CliHelp::text(const QString &topic)
{
    if (topic == QLatin1String("ports"))
        return portsHelp();
    if (topic == QLatin1String("read"))
        return readHelp();
    if (topic == QLatin1String("write"))
        return writeHelp();
    if (topic == QLatin1String("find"))
        return findHelp();
    return toolHelp();
}

QString CliHelp::version()
{
    return QString::number(Application::kMajor) + QLatin1Char('.') +
           QString::number(Application::kMinor) + QLatin1Char('.') +
           QString::number(Application::kRevision);
}
