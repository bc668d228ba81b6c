// SPDX-License-Identifier: GPL-3.0-or-later
// miran-cli: the modem's configuration from a shell. Qt Core and SerialPort
// only, so it runs with no display.
#include "clirunner.h"

#include "system/application.h"
#include "system/interruptwatcher.h"
#include "system/localenotice.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    LocaleNotice::silence();
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("MIRAN"));
    QCoreApplication::setApplicationName(QStringLiteral("miran-cli"));
    // First, so that a signal at any moment of the run is seen: one before
    // the port opens ends the run without sending anything.
    InterruptWatcher interrupts;
    QTextStream out(stdout);
    QTextStream err(stderr);
    CliRunner runner(out, err, interrupts);
    const int code = runner.run(QCoreApplication::arguments().mid(1));
    out.flush();
    err.flush();
    return code;
}
