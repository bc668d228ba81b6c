// SPDX-License-Identifier: GPL-3.0-or-later
#include "inputfile.h"

#include <QFile>

#include <cstdio>

std::optional<QByteArray> InputFile::read(const QString &file, qint64 limit, const QString &what,
                                          QString &error)
{
    QFile input;
    const bool opened = file == QLatin1String("-")
                            ? input.open(stdin, QIODevice::ReadOnly)
                            : (input.setFileName(file), input.open(QIODevice::ReadOnly));
    if (!opened) {
        error = input.errorString();
        return std::nullopt;
    }
    const QByteArray content = input.read(limit + 1);
    if (content.size() > limit) {
        error = QStringLiteral("it is too large to be %1").arg(what);
        return std::nullopt;
    }
    return content;
}
