// SPDX-License-Identifier: GPL-3.0-or-later
#include "commoncontrols.h"

bool InitCommonControlsEx(const InitCommonControlsExRecord &record)
{
    return record.dwSize == sizeof(InitCommonControlsExRecord);
}
