// SPDX-License-Identifier: GPL-3.0-or-later
#include "simwindow.h"

#include "controltexts.h"

#include "shell/form1.h"
#include "shell/form1ui.h"

#include <QPushButton>
#include <QTest>

SimWindow::SimWindow(const QStringList &simArguments)
    : sim(QStringList{QStringLiteral("--config"), kSimConfiguration} + simArguments)
{}

bool SimWindow::start()
{
    if (!sim.isReady())
        return fail(sim.errorString());
    fixture.setSetting(QStringLiteral("Ports/1"), m_port.isEmpty() ? sim.linkPath() : m_port);
    Form1Ui &shown = fixture.start().ui();
    m_started = true;
    if (!QTest::qWaitFor([&shown] { return fieldTexts(shown) == kUnreadFields; }))
        return fail(QStringLiteral("The start-up pass never showed \"??\": ") +
                    fieldTexts(shown).join(QLatin1Char(' ')));
    return true;
}

bool SimWindow::connect()
{
    if (!m_started && !start())
        return false;
    Form1Ui &shown = ui();
    QTest::mouseClick(shown.Command7, Qt::LeftButton);
    if (!QTest::qWaitFor([&shown] { return fieldTexts(shown) == kSimConfigurationFields; }, 10'000))
        return fail(QStringLiteral("The configuration was not read; the fields show ") +
                    fieldTexts(shown).join(QLatin1Char(' ')) + QStringLiteral(", the status \"") +
                    shown.statusText() + QLatin1Char('"'));
    return true;
}

Form1Ui &SimWindow::ui()
{
    return fixture.ui();
}

bool SimWindow::fail(const QString &why)
{
    m_failure = why;
    return false;
}
