// SPDX-License-Identifier: GPL-3.0-or-later
#include "localport.h"

Failure LocalPort::noDevice(const QString &path, int portNumber)
{
    return Failure(FailureNumber::InvalidPortNumber,
                   portNumber == 0 ? QStringLiteral("There is no device %1.").arg(path)
                                   : QStringLiteral("There is no device %1 behind comm port %2.")
                                         .arg(path)
                                         .arg(portNumber));
}

Failure LocalPort::rateRefused(const QString &path, qint32 rate)
{
    return Failure(FailureNumber::CommStateFailed,
                   QStringLiteral("%1 does not take %2 baud.").arg(path).arg(rate));
}
