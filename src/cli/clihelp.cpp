#include "clihelp.h"

#include "platform/application.h"

namespace {
const QString kPortOptions = QStringLiteral(
    "  --device PATH        the modem's serial device, for example /dev/ttyUSB0, or a\n"
    "                       serial server's port: rfc2217://HOST:PORT (sets the\n"
    "                       rate there) or tcp://HOST:PORT (the server's rate); give\n"
    "                       it again for more devices, which run at the same time\n"
    "  --devices FILE       more devices, one a line (blank lines and lines that\n"
    "                       start with # are skipped; - for standard input)\n"
    "  --comm N             comm port N, mapped to a device as in the window\n"
    "                       (section [Ports] of the settings; unmapped: /dev/ttyS<N-1>)\n");

const QString kSeveralDevices =
    QStringLiteral("Several devices run at the same time, each in a miran-cli of its own, and\n"
                   "their results come in the order the devices were given: each after a line\n"
                   "\"==> DEVICE <==\", or with --json one object a line with \"device\" added\n"
                   "(for a device that failed: {\"device\", \"error\", \"exitCode\"}). Messages\n"
                   "name their device. A device given twice is refused.\n"
                   "\n");

const QString kExitCodes =
    QStringLiteral("Exit codes:\n"
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
                          "\n"
                          "  --help     this help; miran-cli COMMAND --help for a command's\n"
                          "  --version  the version\n"
                          "\n") +
           kExitCodes;
}

QString portsHelp()
{
    return QStringLiteral("Usage: miran-cli ports [--json]\n"
                          "\n"
                          "Prints the serial devices present, one a line: the path (the stable\n"
                          "/dev/serial/by-id path where one exists), description, manufacturer,\n"
                          "serial number and vendor:product.\n"
                          "\n"
                          "  --json  one JSON array of objects instead\n");
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
           kPortOptions +
           QStringLiteral(
               "  --baud RATE          the line speed, default 38400\n"
               "  --json               one JSON object, with \"bytes\" as 24 hex digits\n"
               "\n") +
           kSeveralDevices + kExitCodes;
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
           kPortOptions +
           QStringLiteral("  --baud RATE          the line speed, default 38400\n"
                          "  --destination HEX8   destination address, exactly 8 hex digits\n"
                          "  --module HEX8        module address, exactly 8 hex digits\n"
                          "  --channel N          RF channel, 0 to 255\n"
                          "  --power N            Tx power, 0 to 255\n"
                          "  --tx-size N          Tx packet size, 0 to 255\n"
                          "  --rx-size N          Rx packet size, 0 to 255\n"
                          "  --from FILE          all twelve bytes from a file that read --json\n"
                          "                       wrote (- for standard input); values given\n"
                          "                       as options replace the file's\n"
                          "\n"
                          "Values are checked before the port is opened; a bad one sends nothing.\n"
                          "\n") +
           kSeveralDevices + kExitCodes;
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
           kPortOptions +
           QStringLiteral("  --json               one JSON object {\"path\", \"rate\"} instead\n"
                          "\n") +
           kSeveralDevices + kExitCodes;
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
