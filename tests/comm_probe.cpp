// SPDX-License-Identifier: GPL-3.0-or-later
// Opens one device with the serial component, as comm port 1, and prints
// "open" or the failure's number and description. The port tests run it as
// another user. Usage: comm_probe <device>
#include "serial/mscomm.h"
#include "serial/portmap.h"
#include "settings/settingsstore.h"
#include "system/failure.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QTextStream out(stdout);
    if (arguments.size() != 2) {
        out << "usage: comm_probe <device>\n";
        return 2;
    }
    // Port 1 maps to the device in a scratch store of its own.
    const QTemporaryDir folder;
    SettingsStore settings(folder.filePath(QStringLiteral("probe.ini")));
    settings.write(QStringLiteral("Ports"), QStringLiteral("1"), arguments.at(1));
    const PortMap portMap(settings);
    MSComm comm(portMap);
    try {
        comm.setSettings(QStringLiteral("38400,n,8,1"));
        comm.setCommPort(1);
        comm.setPortOpen(true);
        out << "open\n";
    } catch (const Failure &failure) {
        out << failure.number() << ' ' << failure.description() << '\n';
    }
    return 0;
}
