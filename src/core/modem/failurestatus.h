// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The status bar's short form of a failure: what happened and what to do, in
// the few dozen characters the bar shows. The full description, with the
// device path and the details, goes where the user can read it whole.
class FailureStatus
{
public:
    // Characters the status bar shows whole at its size, "Error!! " included.
    static constexpr qsizetype kLongestText = 56;

    // "Error!! " and the short form of an open's failure. A description short
    // enough is shown as it is; a long one with no short form of its own gets
    // a pointer to the details.
    static QString openFailed(int number, const QString &description);
    // "Error!! " and the short form of a port lost while open, by the
    // loss's failure number.
    static QString lost(int number);
    // What the user checks after a loss, to go on with the front end's own
    // "and press Connect." or the like.
    static QString lossRemedy(int number);
    // Every short form these give for a long description, for checks of
    // their width.
    static QStringList all();
};
