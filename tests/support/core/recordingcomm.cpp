// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordingcomm.h"

void RecordingComm::setOutput(const QString &text)
{
    CommRelay::setOutput(text);
    // Recorded once the component took it: a refused write reached nothing.
    writes.append(text.toLatin1());
    if (onWrite)
        onWrite(writes.constLast());
}
