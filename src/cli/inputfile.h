// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A file the command line reads whole: a path, or "-" for standard input.
// Anything larger than the limit is not what the option takes, and is
// refused rather than read on.
class InputFile
{
public:
    // The file's bytes, or nothing with error set: the system's reason, or
    // "it is too large to be " and what.
    static std::optional<QByteArray> read(const QString &file, qint64 limit, const QString &what,
                                          QString &error);
};
