// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <exception>
#include <string>

// Failure numbers the program's callers compare against. The values follow the
// numbering the modem tools have always used, so messages stay recognisable.
namespace FailureNumber {
inline constexpr int InvalidArgument = 5;
inline constexpr int Overflow = 6;
inline constexpr int TypeMismatch = 13;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int InvalidPortNumber = 8002;
inline constexpr int PortAlreadyOpen = 8005;
inline constexpr int DeviceUnavailable = 8010;
inline constexpr int PortNotOpen = 8012;
inline constexpr int CommStateFailed = 8015;
inline constexpr int PermissionDenied = 8020;
inline constexpr int StaleLock = 8025;
inline constexpr int DeviceLost = 8030;
// A network port's connection ended under the program.
inline constexpr int ConnectionLost = 8031;
} // namespace FailureNumber

// A failure of the serial component, a conversion or the character step: a
// number to branch on and a description to show the user.
class Failure : public std::exception
{
public:
    Failure(int number, QString description);

    int number() const noexcept { return m_number; }
    const QString &description() const noexcept { return m_description; }
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    int m_number;
    QString m_description;
    std::string m_what;
};

// The description of any failure: a Failure's own, or the text of another
// exception.
QString describeFailure(const std::exception &failure);
