// SPDX-License-Identifier: GPL-3.0-or-later
#include "seriallock.h"

// Windows keeps no lock files: a comm port opens for one program at a time.
QStringList SerialLock::lockFolders()
{
    return {};
}
