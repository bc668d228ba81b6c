// SPDX-License-Identifier: GPL-3.0-or-later
#include "failure.h"

#include <utility>

Failure::Failure(int number, QString description)
    : m_number(number)
    , m_description(std::move(description))
    , m_what(m_description.toStdString())
{}

QString describeFailure(const std::exception &failure)
{
    if (const auto *own = dynamic_cast<const Failure *>(&failure))
        return own->description();
    return QString::fromLocal8Bit(failure.what());
}
