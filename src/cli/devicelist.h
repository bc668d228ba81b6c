// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The devices of one run over several modems: read from a list file and
// checked before any of them is opened.
class DeviceList
{
public:
    // One device a line; blanks around a name are dropped, and blank lines
    // and lines that start with '#' are skipped.
    static QStringList parse(const QByteArray &content);
    // The devices a file lists ("-": standard input), or why it cannot be read.
    static std::optional<QStringList> read(const QString &file, QString &error);
    // Why the list cannot run: a device named twice, also under another path
    // to the same device, as two sessions on one port would fight. Empty when
    // each device is named once.
    static QString duplicateError(const QStringList &devices);
};
