// SPDX-License-Identifier: GPL-3.0-or-later
#include "hostsystem.h"

bool HostSystem::isWine()
{
    return false;
}
