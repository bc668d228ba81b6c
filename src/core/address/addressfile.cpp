// SPDX-License-Identifier: GPL-3.0-or-later
#include "addressfile.h"

#include <QFile>

#include <algorithm>
#include <limits>
#include <utility>

AddressFile::AddressFile(QString path)
    : m_path(std::move(path))
{}

bool AddressFile::ensureExists() const
{
    QFile file(m_path);
    return file.open(QIODevice::WriteOnly | QIODevice::Append);
}

std::optional<QStringList> AddressFile::readLines() const
{
    const auto entries = readEntries(std::numeric_limits<qsizetype>::max());
    if (!entries)
        return std::nullopt;
    return entries->lines;
}

std::optional<AddressLines::Entries> AddressFile::readEntries(qsizetype longest) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // A huge file is looked at where it lies rather than copied.
    if (const uchar *mapped = file.size() > 0 ? file.map(0, file.size()) : nullptr) {
        return AddressLines::entries(QByteArrayView(mapped, file.size()), longest);
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return AddressLines::entries(content, longest);
}

QString AddressFile::append(const QString &entry) const
{
    if (!AddressLines::isStorable(entry))
        return QStringLiteral("%1 holds characters that Address.txt cannot store.").arg(entry);

    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append))
        return QStringLiteral("%1 cannot be opened for writing: %2")
            .arg(m_path, file.errorString());

    const qint64 oldSize = file.size();
    const qint64 tailSize = std::min<qint64>(oldSize, 2);
    QByteArray tail;
    if (tailSize > 0) {
        if (!file.seek(oldSize - tailSize))
            return QStringLiteral("%1 cannot be read: %2").arg(m_path, file.errorString());
        tail = file.read(tailSize);
        if (tail.size() != tailSize)
            return QStringLiteral("%1 cannot be read: %2").arg(m_path, file.errorString());
    }

    const QByteArray bytes = AddressLines::appendBytes(entry, tail);
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    if (!written) {
        const QString reason = file.errorString();
        file.resize(oldSize);
        return QStringLiteral("%1 could not be written: %2").arg(m_path, reason);
    }
    return {};
}
