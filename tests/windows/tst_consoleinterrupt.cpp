// SPDX-License-Identifier: GPL-3.0-or-later
// The console's control events reach a run as the signals do on POSIX
// systems: Ctrl-C as SIGINT, each run reporting only the first one, and the
// process lives on to take the modem out of command mode. The suite gives itself a console of its
// own, so the events it raises reach nobody else.
#include "system/interruptwatcher.h"

#include <QSignalSpy>
#include <QTest>

#include <windows.h>

#include <csignal>

class ConsoleInterruptTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void ctrlCIsReportedOnceAsSigint();
    void aNewRunHearsAfresh();
};

void ConsoleInterruptTest::initTestCase()
{
    FreeConsole();
    QVERIFY2(AllocConsole(), "no console of its own for the control events");
}

void ConsoleInterruptTest::ctrlCIsReportedOnceAsSigint()
{
    // GIVEN a run that watches for interrupts
    InterruptWatcher watcher;
    QVERIFY(watcher.isValid());
    QSignalSpy interrupted(&watcher, &InterruptWatcher::interrupted);

    // WHEN the user presses Ctrl-C twice
    QVERIFY(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    QTRY_COMPARE(interrupted.count(), 1);
    QVERIFY(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    QTest::qWait(300);

    // THEN the event loop hears of the first one only, and the process lives
    QCOMPARE(interrupted.count(), 1);
    QCOMPARE(interrupted.at(0).at(0).toInt(), SIGINT);
    QCOMPARE(watcher.received(), SIGINT);
}

void ConsoleInterruptTest::aNewRunHearsAfresh()
{
    // GIVEN a new run, after the last one's watcher has gone
    InterruptWatcher watcher;
    QSignalSpy interrupted(&watcher, &InterruptWatcher::interrupted);
    QCOMPARE(watcher.received(), 0);

    // WHEN the user presses Ctrl-C
    QVERIFY(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));

    // THEN this run hears of it too
    QTRY_COMPARE(interrupted.count(), 1);
    QCOMPARE(watcher.received(), SIGINT);
}

QTEST_GUILESS_MAIN(ConsoleInterruptTest)
#include "tst_consoleinterrupt.moc"
