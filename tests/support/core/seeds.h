// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// The seeds of a randomized test: those named, blank-separated, in the
// environment variable, or the fallback when it is not set. Each failure
// names its seed, so a run can be repeated with exactly that one.
inline QList<quint32> seedsFromEnvironment(const char *name, const QList<quint32> &fallback)
{
    if (!qEnvironmentVariableIsSet(name))
        return fallback;
    QList<quint32> seeds;
    for (const QString &seed :
         qEnvironmentVariable(name).split(QLatin1Char(' '), Qt::SkipEmptyParts))
        seeds.append(seed.toUInt());
    return seeds;
}
