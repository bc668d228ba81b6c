// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The program's name and version, as its windows and boxes show them.
namespace Application {
inline QString title()
{
    return QStringLiteral("MIRAN Modem Utility");
}

// Major, minor and revision come from the build (the project's version).
inline constexpr int kMajor = MIRAN_VERSION_MAJOR;
inline constexpr int kMinor = MIRAN_VERSION_MINOR;
inline constexpr int kRevision = MIRAN_VERSION_PATCH;

// "MIRAN Modem Utility - Version:1.0.35": plain numbers, no blank after the colon.
inline QString caption()
{
    return title() + QStringLiteral(" - Version:") + QString::number(kMajor) + QLatin1Char('.') +
           QString::number(kMinor) + QLatin1Char('.') + QString::number(kRevision);
}
} // namespace Application
