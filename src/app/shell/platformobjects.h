// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "form1.h"
#include "serial/mscomm.h"
#include "serial/portmap.h"
#include "settings/settingsstore.h"
#include "system/qteventpump.h"
#include "system/quiettimer.h"
#include "system/steadyclock.h"

// The platform objects the window works over, built once: the settings
// store, the port map over it, the serial component, the clock, the event pump
// and the quiet-time timer. The program, its tools and the tests start the
// window from one of these.
class PlatformObjects
{
public:
    // An empty file name: the user's own settings store.
    explicit PlatformObjects(const QString &iniFile = {});

    PlatformObjects(const PlatformObjects &) = delete;
    PlatformObjects &operator=(const PlatformObjects &) = delete;

    // What a window needs, with the given dialogs and program folder; another
    // serial component may stand in for the real one.
    Form1::Platform forWindow(Dialogs &dialogs, const QString &programFolder,
                              CommControl *comm = nullptr);

    SettingsStore settings;
    PortMap portMap;
    MSComm serial;
    const SteadyClock clock;
    QtEventPump pump;
    QuietTimer timer;
};
