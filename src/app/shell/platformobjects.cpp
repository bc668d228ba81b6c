// SPDX-License-Identifier: GPL-3.0-or-later
#include "platformobjects.h"

PlatformObjects::PlatformObjects(const QString &iniFile)
    : settings(iniFile)
    , portMap(settings)
    , serial(portMap)
{}

Form1::Platform PlatformObjects::forWindow(Dialogs &dialogs, const QString &programFolder,
                                           CommControl *comm)
{
    return {settings, portMap, comm ? *comm : serial, dialogs, clock, pump, timer, programFolder};
}
