// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where Address.txt lives. Beside the program where that folder can hold it,
// as a copy built or unpacked by the user expects; otherwise (an installed
// program) in the user's own data folder, which starts with the lines of a
// readable Address.txt beside the program so a list kept there is not lost.
class AddressFolder
{
public:
    AddressFolder(QString programFolder, QString dataFolder);

    // The folder to keep Address.txt in. When that is the data folder, the
    // folder is created, and an Address.txt that does not exist there yet is
    // seeded from the one beside the program.
    QString prepare(bool programFolderUsable) const;

    // Whether Address.txt may live in the program's folder: the folder is
    // writable and is not an installed copy's. An installed copy (its desktop
    // entry lies in ../share/applications) never writes beside itself, not even
    // as root, so nothing is left in folders that the package owns.
    static bool programFolderUsable(const QString &programFolder);

    // prepare() for the running program: its own folder and the per-user data
    // folder of the application.
    static QString forRunningProgram();

private:
    void seedDataFile() const;

    QString m_programFolder;
    QString m_dataFolder;
};
