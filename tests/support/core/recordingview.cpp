// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordingview.h"

QString RecordingView::fieldText(int field) const
{
    return fields.at(static_cast<size_t>(field));
}

void RecordingView::setFieldText(int field, const QString &text)
{
    fields.at(static_cast<size_t>(field)) = text;
}

void RecordingView::setStatusText(const QString &text)
{
    setShortStatus(text, text);
}

void RecordingView::setShortStatus(const QString &text, const QString &wholeText)
{
    status = text;
    whole = wholeText;
    wholeHistory.append(wholeText);
    statusHistory.append(text);
}

void RecordingView::setBusyPointer(bool isBusy)
{
    if (busy != isBusy)
        ++busyChanges;
    busy = isBusy;
}

QString RecordingView::fieldLine() const
{
    return QStringList(fields.begin(), fields.end()).join(QLatin1Char(' '));
}

void RecordingView::setFields(const QStringList &texts)
{
    for (qsizetype i = 0; i < texts.size() && i < kFieldCount; ++i)
        fields.at(static_cast<size_t>(i)) = texts.at(i);
}
