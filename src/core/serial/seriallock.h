// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The lock file another program keeps for a serial device, as QSerialPort
// writes them: "LCK.." and the device's path (without "/dev/", each "/" as
// "_") in the first lock folder that holds one. Used to say who holds a port
// that would not open, or that nobody does any more.
class SerialLock
{
public:
    struct Holder
    {
        QString lockFile;
        qint64 pid = 0;
        QString program;
        // False when the process that made the lock has ended: the file was
        // left behind.
        bool running = true;
    };

    // The lock file for the device and who made it, or nothing when there is
    // none.
    static std::optional<Holder> find(const QString &devicePath);

    // The file's name in a lock folder.
    static QString fileName(const QString &devicePath);

private:
    // The folders to look in, in the serial library's order; none where the
    // system keeps no lock files.
    static QStringList lockFolders();
};
