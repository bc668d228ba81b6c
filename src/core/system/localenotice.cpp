// SPDX-License-Identifier: GPL-3.0-or-later
#include "localenotice.h"

#include <QString>
#include <QtGlobal>

namespace {
// A message handler is a plain function, so the one it hands on to is kept here.
QtMessageHandler &nextHandler()
{
    static QtMessageHandler handler = nullptr;
    return handler;
}

bool isLocaleSwitch(QtMsgType type, const QString &message)
{
    return type == QtWarningMsg && message.startsWith(u"Detected locale \"") &&
           message.contains(u"which is not UTF-8");
}

void handOnUnlessLocaleSwitch(QtMsgType type, const QMessageLogContext &context,
                              const QString &message)
{
    if (!isLocaleSwitch(type, message) && nextHandler())
        nextHandler()(type, context, message);
}
} // namespace

void LocaleNotice::silence()
{
    if (!nextHandler())
        nextHandler() = qInstallMessageHandler(handOnUnlessLocaleSwitch);
}
