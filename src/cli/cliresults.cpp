// SPDX-License-Identifier: GPL-3.0-or-later
#include "cliresults.h"

#include "exitcode.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
QString compact(const QJsonDocument &document)
{
    return QString::fromUtf8(document.toJson(QJsonDocument::Compact));
}

// The device as a JSON string, quotes and escapes included.
QString jsonString(const QString &text)
{
    const QString array = compact(QJsonDocument(QJsonArray{text}));
    return array.mid(1, array.size() - 2);
}
} // namespace

void CliResults::print(QTextStream &out, const QList<CliChild::Result> &results, bool json)
{
    for (qsizetype i = 0; i < results.size(); ++i) {
        if (json)
            out << jsonLine(results.at(i)) << '\n';
        else
            out << (i == 0 ? QString() : QStringLiteral("\n")) << textBlock(results.at(i));
    }
    out.flush();
}

int CliResults::exitCode(const QList<CliChild::Result> &results)
{
    int worst = ExitCode::Success;
    for (const CliChild::Result &result : results)
        worst = ExitCode::worse(worst, result.exitCode);
    return worst;
}

QString CliResults::jsonLine(const CliChild::Result &result)
{
    const QString own = QString::fromUtf8(result.out).trimmed();
    if (result.exitCode == ExitCode::Success && own.startsWith(QLatin1Char('{'))) {
        // Its own keys keep their order, after the device.
        const QString rest = own.mid(1);
        return QStringLiteral("{\"device\":") + jsonString(result.device) +
               (rest.startsWith(QLatin1Char('}')) ? QString() : QStringLiteral(",")) + rest;
    }
    const QJsonObject failed{
        {QStringLiteral("device"), result.device},
        {QStringLiteral("exitCode"), result.exitCode},
        {QStringLiteral("error"), QJsonArray::fromStringList(result.messages)}};
    return compact(QJsonDocument(failed));
}

QString CliResults::textBlock(const CliChild::Result &result)
{
    QString block = QStringLiteral("==> ") + result.device + QStringLiteral(" <==\n") +
                    QString::fromUtf8(result.out);
    if (result.exitCode != ExitCode::Success) {
        block += QStringLiteral("failed (exit %1)").arg(result.exitCode);
        if (!result.messages.isEmpty())
            block += QStringLiteral(": ") + result.messages.constLast();
        block += QLatin1Char('\n');
    }
    return block;
}
