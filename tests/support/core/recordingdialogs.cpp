// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordingdialogs.h"

#include <QTest>

void RecordingDialogs::messageBox(const QString &prompt, const QString &title)
{
    messages.append({prompt, title});
    if (whileOpen)
        whileOpen();
}

QString RecordingDialogs::inputBox(const QString &prompt, const QString &title)
{
    inputs.append({prompt, title});
    return answers.isEmpty() ? QString() : answers.takeFirst();
}

char *toString(const RecordingDialogs::Box &box)
{
    return QTest::toString(QStringLiteral("[%1 | %2]").arg(box.title, box.prompt));
}
