// SPDX-License-Identifier: GPL-3.0-or-later
#include "hostsystem.h"

#include <windows.h>

bool HostSystem::isWine()
{
    // Wine's ntdll has an export of its own that Windows' lacks.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
