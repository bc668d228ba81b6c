// The command-mode buttons and the timed wait between the steps of an
// exchange.
#include "support/formfixture.h"

#include "modem/timedwait.h"
#include "platform/clock.h"
#include "platform/eventpump.h"
#include "platform/qteventpump.h"
#include "platform/steadyclock.h"
#include "shell/form1.h"
#include "shell/form1ui.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <deque>

using namespace std::chrono_literals;

namespace {
// A clock that reads out a list of times, one per reading, then stays at the
// last.
class ScriptedClock final : public Clock
{
public:
    explicit ScriptedClock(std::deque<double> readings)
        : m_readings(std::move(readings))
    {}
    double seconds() const override
    {
        const double now = m_readings.front();
        if (m_readings.size() > 1)
            m_readings.pop_front();
        return now;
    }

private:
    mutable std::deque<double> m_readings;
};

class CountingPump final : public EventPump
{
public:
    void processEvents(std::chrono::milliseconds maxWait) override
    {
        waits.push_back(maxWait);
        if (inner)
            inner->processEvents(maxWait);
    }
    std::vector<std::chrono::milliseconds> waits;
    EventPump *inner = nullptr;
};
} // namespace

class CommandModeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void buttonsSendTheirSequence_data();
    void buttonsSendTheirSequence();
    void closedPortSendsNothing();
    void failedWriteRestoresStatusAndPointer();
    void waitEndsOnlyPastTheInterval();
    void waitLetsEventsRunAndSleeps();
};

void CommandModeTest::buttonsSendTheirSequence_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("+++") << "Command1" << QByteArray("\x2b\x2b\x2b");
    QTest::newRow("- - -") << "Command4" << QByteArray("\x2d\x2d\x2d");
}

void CommandModeTest::buttonsSendTheirSequence()
{
    QFETCH(QString, button);
    QFETCH(QByteArray, bytes);
    FormFixture fixture;
    Form1 &form = fixture.start();
    form.portConnection().OpenComms();
    form.ui().setStatusText(QString());
    form.ui().TabStrip1->setCurrentIndex(2);
    auto *pushButton = form.findChild<QPushButton *>(button);
    QStringList statusDuringWrite;
    fixture.fake().onWrite = [&form, &statusDuringWrite](const QByteArray &) {
        statusDuringWrite.append(form.ui().statusText());
    };

    // Twice: nothing tracks the modem's mode.
    QTest::mouseClick(pushButton, Qt::LeftButton);
    QTest::mouseClick(pushButton, Qt::LeftButton);

    QCOMPARE(fixture.fake().writes.size(), 2);
    QCOMPARE(fixture.fake().writes.at(0).bytes, bytes);
    QCOMPARE(fixture.fake().written(), bytes + bytes);
    const QString progress = button == "Command1" ? QStringLiteral("Entering AT Mode...")
                                                  : QStringLiteral("Exiting AT Mode...");
    QCOMPARE(statusDuringWrite, QStringList({progress, progress}));
    QCOMPARE(form.ui().statusText(), QString());
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    QTRY_COMPARE(QApplication::focusWidget(), form.ui().Text14);
}

void CommandModeTest::closedPortSendsNothing()
{
    FormFixture fixture;
    Form1 &form = fixture.start();
    form.portConnection().OpenComms();
    form.portConnection().CloseComms();
    form.ui().TabStrip1->setCurrentIndex(2);
    const qsizetype before = fixture.fake().writes.size();

    QTest::mouseClick(form.ui().Command1, Qt::LeftButton);
    QTest::mouseClick(form.ui().Command4, Qt::LeftButton);

    QCOMPARE(fixture.fake().writes.size(), before);
    QVERIFY(fixture.dialogs.messages.isEmpty());
    QCOMPARE(form.ui().statusText(), QStringLiteral("Disconnected"));
    QTRY_COMPARE(QApplication::focusWidget(), form.ui().Text14);
}

void CommandModeTest::failedWriteRestoresStatusAndPointer()
{
    FormFixture fixture;
    Form1 &form = fixture.start();
    form.portConnection().OpenComms();
    form.ui().setStatusText("before");
    fixture.fake().failOutput = Failure(FailureNumber::DeviceLost, "write refused");

    QTest::mouseClick(form.ui().Command1, Qt::LeftButton);

    QCOMPARE(fixture.dialogs.messages,
             (QList<RecordingDialogs::Box>{{"Error: write refused", "Error"}}));
    QCOMPARE(form.ui().statusText(), QStringLiteral("before"));
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
}

void CommandModeTest::waitEndsOnlyPastTheInterval()
{
    // Start at 10.0; a reading of exactly 10.2 keeps waiting, the next one
    // past it ends the wait.
    ScriptedClock clock({10.0, 10.1, 10.2, 10.2000001, 99.0});
    CountingPump pump;
    TimedWait(clock, pump).DelaySeconds(0.2);
    QCOMPARE(pump.waits.size(), size_t(2));
    QCOMPARE(pump.waits.at(0), 100ms);
    // Nothing left to wait for, but the wait still goes on.
    QCOMPARE(pump.waits.at(1), 0ms);
}

void CommandModeTest::waitLetsEventsRunAndSleeps()
{
    SteadyClock clock;
    QtEventPump realPump;
    CountingPump pump;
    pump.inner = &realPump;
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(20ms);

    const double start = clock.seconds();
    TimedWait(clock, pump).DelaySeconds(0.3);
    const double waited = clock.seconds() - start;

    QVERIFY(waited > 0.3);
    QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
    // It sleeps until the next event or the end: a pass per event, not a
    // spin. Twenty timer ticks and a few wake-ups at most, on any machine.
    QVERIFY2(pump.waits.size() < 60, qPrintable(QString::number(pump.waits.size())));
}

QTEST_MAIN(CommandModeTest)
#include "tst_commandmode.moc"
