// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "addresslines.h"

#include <QString>
#include <QStringList>

#include <optional>

// The destination-address file beside the program: created when missing, read
// line by line, only ever appended to.
class AddressFile
{
public:
    explicit AddressFile(QString path);

    const QString &path() const { return m_path; }

    // Creates an empty file when there is none; an existing file is left as
    // it is. False when the file cannot be created or opened.
    bool ensureExists() const;

    // Every line of the file, or nothing when it cannot be read.
    std::optional<QStringList> readLines() const;
    // The lines for the list: those longer than longest are left out and
    // counted. Nothing when the file cannot be read.
    std::optional<AddressLines::Entries>
    readEntries(qsizetype longest = AddressLines::kLongestEntry) const;

    // Appends one entry with its CR LF. Returns an empty text on success, else
    // what went wrong; a failed append leaves the file as it was.
    QString append(const QString &entry) const;

private:
    QString m_path;
};
