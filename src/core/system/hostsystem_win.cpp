// SPDX-License-Identifier: GPL-3.0-or-later
#include "hostsystem.h"

#include <QFileInfo>

#include <windows.h>

// Qt reads a folder's access list only while this counts above zero.
extern Q_CORE_EXPORT int qt_ntfs_permission_lookup;

bool HostSystem::canWriteIn(const QString &folder)
{
    // Without the access list an installed program's folder (Program Files)
    // looks writable to every user.
    ++qt_ntfs_permission_lookup;
    const bool writable = QFileInfo(folder).isWritable();
    --qt_ntfs_permission_lookup;
    return writable;
}

bool HostSystem::isWine()
{
    // Wine's ntdll has an export of its own that Windows' lacks.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
