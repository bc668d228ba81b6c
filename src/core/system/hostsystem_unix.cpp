// SPDX-License-Identifier: GPL-3.0-or-later
#include "hostsystem.h"

#include <QFileInfo>

bool HostSystem::canWriteIn(const QString &folder)
{
    return QFileInfo(folder).isWritable();
}

bool HostSystem::isWine()
{
    return false;
}
