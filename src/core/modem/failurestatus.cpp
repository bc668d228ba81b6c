// SPDX-License-Identifier: GPL-3.0-or-later
#include "failurestatus.h"

#include "system/failure.h"

#include <array>
#include <utility>

namespace {
const QString kPrefix = QStringLiteral("Error!! ");

// The failures an open can end in, by number, and the loss of an open port.
const std::array<std::pair<int, const char16_t *>, 12> kShortForms{{
    {FailureNumber::InvalidArgument, u"Not a comm port. Choose one in the list."},
    {FailureNumber::Overflow, u"Not a comm port. Choose one in the list."},
    {FailureNumber::TypeMismatch, u"Not a comm port. Choose one in the list."},
    {FailureNumber::InvalidPropertyValue, u"Bad baud rate. Choose one in the list."},
    {FailureNumber::PortAlreadyOpen, u"Port in use. Close the other program."},
    {FailureNumber::DeviceUnavailable, u"Port would not open. Check Comms Port Setup."},
    {FailureNumber::PortNotOpen, u"Port not open. Press Connect."},
    {FailureNumber::CommStateFailed, u"Baud rate refused. Choose another one."},
    {FailureNumber::PermissionDenied, u"No access. Join group dialout, log in again."},
    {FailureNumber::StaleLock, u"Old lock file blocks the port. Point here."},
    {FailureNumber::DeviceLost, u"Modem unplugged. Plug it in and press Connect."},
    {FailureNumber::ConnectionLost, u"Connection lost. Check it and press Connect."},
}};
const auto kUnknown = u"Could not open the port. Point here for details.";

QString shortForm(int number)
{
    for (const auto &[known, text] : kShortForms)
        if (known == number)
            return QString::fromUtf16(text);
    return QString::fromUtf16(kUnknown);
}
} // namespace

QString FailureStatus::openFailed(int number, const QString &description)
{
    if (kPrefix.size() + description.size() <= kLongestText)
        return kPrefix + description;
    return kPrefix + shortForm(number);
}

QString FailureStatus::lost(int number)
{
    return kPrefix + shortForm(number == FailureNumber::ConnectionLost
                                   ? FailureNumber::ConnectionLost
                                   : FailureNumber::DeviceLost);
}

QString FailureStatus::lossRemedy(int number)
{
    return number == FailureNumber::ConnectionLost
               ? QStringLiteral("Check the serial server and the network")
               : QStringLiteral("Plug the modem in");
}

QStringList FailureStatus::all()
{
    QStringList texts;
    for (const auto &[number, text] : kShortForms)
        texts.append(kPrefix + QString::fromUtf16(text));
    texts.append(kPrefix + QString::fromUtf16(kUnknown));
    return texts;
}
