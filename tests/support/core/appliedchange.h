// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "receive/shownexcerpt.h"

#include <QString>

// Applies an announced change to the text a listener knew, as an assistive
// technology applies the events: the head removed, the rest past the common
// part removed, the new text inserted there. A change that removes text that
// was not there gives a text that says so.
inline QString appliedChange(QString text, const ShownExcerpt::Change &change)
{
    if (!text.startsWith(change.head))
        return QStringLiteral("<removed a head that was not there>");
    text.remove(0, change.head.size());
    if (text.mid(change.kept) != change.removed)
        return QStringLiteral("<removed a tail that was not there>");
    text.truncate(change.kept);
    return text + change.inserted;
}
