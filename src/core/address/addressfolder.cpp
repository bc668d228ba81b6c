// SPDX-License-Identifier: GPL-3.0-or-later
#include "addressfolder.h"

#include "addressfile.h"

#include "system/hostsystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <utility>

namespace {
const QString kFileName = QStringLiteral("Address.txt");
} // namespace

AddressFolder::AddressFolder(QString programFolder, QString dataFolder)
    : m_programFolder(std::move(programFolder))
    , m_dataFolder(std::move(dataFolder))
{}

QString AddressFolder::prepare(bool programFolderUsable) const
{
    // Without a data folder (no home folder) the program's folder is the only
    // place left.
    if (programFolderUsable || m_dataFolder.isEmpty())
        return m_programFolder;
    // A folder that cannot be made still gets used: opening the file fails
    // there and "Add" reports it.
    if (QDir().mkpath(m_dataFolder))
        seedDataFile();
    return m_dataFolder;
}

void AddressFolder::seedDataFile() const
{
    const QString target = QDir(m_dataFolder).filePath(kFileName);
    if (QFileInfo::exists(target))
        return;
    const auto lines = AddressFile(QDir(m_programFolder).filePath(kFileName)).readLines();
    if (!lines)
        return;
    // The lines are written afresh rather than the file copied: a copy would
    // take over a read-only mode, and the list could never grow.
    QByteArray content;
    for (const QString &line : *lines)
        content += line.toLatin1() + "\r\n";
    QSaveFile file(target);
    if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size())
        file.commit();
}

bool AddressFolder::programFolderUsable(const QString &programFolder)
{
    const QString desktopEntry =
        QDir(programFolder)
            .filePath(QStringLiteral("../share/applications/" MIRAN_APP_ID ".desktop"));
    return HostSystem::canWriteIn(programFolder) && !QFileInfo::exists(desktopEntry);
}

QString AddressFolder::forRunningProgram()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    const AddressFolder folder(programFolder,
                               QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    return folder.prepare(programFolderUsable(programFolder));
}
