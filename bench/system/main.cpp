// SPDX-License-Identifier: GPL-3.0-or-later
// CPU time and throughput of the running program against the simulated
// modem, each beside a baseline measured in the same run:
//   idle       CPU time in 10 s after connecting, against a bare event loop
//   delay      CPU time of the timed wait, against a wait that only pumps
//   throughput received bytes per second end to end through a pty, echo on,
//              against a plain serial port that only reads
// Prints a table. Usage: bench-system [idle|delay|throughput]...
#include "support/app/formfixture.h"
#include "support/core/cputime.h"
#include "support/sim/modemsim.h"

#include "shell/form1.h"
#include "shell/form1ui.h"
#include "system/qteventpump.h"
#include "system/steadyclock.h"
#include "terminal/terminalview.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QSerialPort>
#include <QTextStream>
#include <QTimer>

#include <chrono>
#include <functional>

using namespace std::chrono_literals;

namespace {
constexpr qsizetype kFloodBytes = 4 * 1024 * 1024;
constexpr int kDelayRounds = 10;
constexpr std::chrono::duration<double> kDelayInterval{0.5};

struct Measure
{
    double cpu = 0;
    double wall = 0;
};

Measure measure(const std::function<void()> &work)
{
    QElapsedTimer wall;
    const auto cpuBefore = cpuTime();
    wall.start();
    work();
    return {(cpuTime() - cpuBefore).count(), double(wall.nsecsElapsed()) / 1e9};
}

void runEventLoopFor(std::chrono::milliseconds time)
{
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until the condition holds, looking every few
// milliseconds; the loop sleeps in between, as the program's own loop does.
bool runUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&loop, &done] {
        if (done())
            loop.quit();
    });
    check.start(5ms);
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

void row(const QString &what, const QString &figure, const QString &baseline)
{
    out() << "| " << what << " | " << figure << " | " << baseline << " |\n";
    out().flush();
}

QString cpuShare(const Measure &m)
{
    return QStringLiteral("%1 s CPU in %2 s (%3 % of a core)")
        .arg(m.cpu, 0, 'f', 3)
        .arg(m.wall, 0, 'f', 2)
        .arg(100.0 * m.cpu / m.wall, 0, 'f', 2);
}

// A window connected to a fresh simulated modem at the given rate.
bool connect(FormFixture &fixture, ModemSim &sim, const QString &baud)
{
    if (!sim.isReady())
        return false;
    fixture.setSetting(QStringLiteral("Ports/1"), sim.linkPath());
    fixture.setSetting(QStringLiteral("Settings/BAUD"), baud);
    Form1 &form = fixture.start();
    form.ui().TabStrip1->setCurrentIndex(2);
    form.ui().Command7->click();
    return runUntil([&form] { return form.ui().Command2->isEnabled(); }, 10s);
}

void benchIdle()
{
    const Measure bare = measure([] { runEventLoopFor(10s); });
    ModemSim sim;
    FormFixture fixture(FormFixture::Link::Serial);
    if (!connect(fixture, sim, QStringLiteral("38400"))) {
        row(QStringLiteral("idle 10 s after connecting"), QStringLiteral("failed to connect"), {});
        return;
    }
    const Measure idle = measure([] { runEventLoopFor(10s); });
    row(QStringLiteral("idle 10 s after connecting"), cpuShare(idle),
        QStringLiteral("bare event loop: ") + cpuShare(bare));
}

void benchDelay()
{
    ModemSim sim;
    FormFixture fixture(FormFixture::Link::Serial);
    if (!connect(fixture, sim, QStringLiteral("38400"))) {
        row(QStringLiteral("timed wait"), QStringLiteral("failed to connect"), {});
        return;
    }
    const Measure wait = measure([&fixture] {
        for (int i = 0; i < kDelayRounds; ++i)
            fixture.form().session().DelaySeconds(kDelayInterval);
    });
    // The wait as a plain loop that lets events run and looks at the clock
    // again at once.
    const SteadyClock clock;
    const Measure pumping = measure([&clock] {
        for (int i = 0; i < kDelayRounds; ++i) {
            const double end = clock.seconds() + kDelayInterval.count();
            while (!(clock.seconds() > end))
                QCoreApplication::processEvents();
        }
    });
    row(QStringLiteral("timed wait, 10 x 0.5 s, port open"), cpuShare(wait),
        QStringLiteral("pump-only loop: ") + cpuShare(pumping));
}

QString rate(qsizetype bytes, double seconds)
{
    return QStringLiteral("%1 bytes/s (%2 bytes in %3 s)")
        .arg(double(bytes) / seconds, 0, 'f', 0)
        .arg(bytes)
        .arg(seconds, 0, 'f', 3);
}

double rawPortSeconds()
{
    ModemSim sim({QStringLiteral("--baud"), QStringLiteral("256000")});
    QSerialPort port(sim.linkPath());
    if (!sim.isReady() || !port.open(QIODevice::ReadWrite))
        return -1;
    port.setBaudRate(256000);
    qsizetype received = 0;
    QObject::connect(&port, &QSerialPort::readyRead,
                     [&port, &received] { received += port.readAll().size(); });
    QElapsedTimer timer;
    timer.start();
    sim.command(QStringLiteral("flood %1").arg(kFloodBytes));
    if (!runUntil([&received] { return received >= kFloodBytes; }, 60s))
        return -1;
    return double(timer.nsecsElapsed()) / 1e9;
}

void benchThroughput()
{
    const double raw = rawPortSeconds();
    ModemSim sim({QStringLiteral("--baud"), QStringLiteral("256000")});
    FormFixture fixture(FormFixture::Link::Serial);
    if (!connect(fixture, sim, QStringLiteral("256000"))) {
        row(QStringLiteral("receive end to end"), QStringLiteral("failed to connect"), {});
        return;
    }
    TerminalView *view = fixture.form().ui().Text13;
    const qsizetype before = view->receivedBytes().size();
    QElapsedTimer timer;
    timer.start();
    sim.command(QStringLiteral("flood %1").arg(kFloodBytes));
    const bool complete = runUntil(
        [view, before] { return view->receivedBytes().size() - before >= kFloodBytes; }, 120s);
    view->flushPending();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    row(QStringLiteral("receive end to end, 256000 baud on a pty, echo on"),
        complete ? rate(kFloodBytes, seconds) : QStringLiteral("incomplete"),
        QStringLiteral("plain port, read only: ") +
            (raw > 0 ? rate(kFloodBytes, raw) : QStringLiteral("failed")));
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList cases = QApplication::arguments().mid(1);
    if (cases.isEmpty())
        cases = {QStringLiteral("idle"), QStringLiteral("delay"), QStringLiteral("throughput")};
    out() << "| measure | program | baseline |\n|---|---|---|\n";
    for (const QString &name : cases) {
        if (name == QLatin1String("idle"))
            benchIdle();
        else if (name == QLatin1String("delay"))
            benchDelay();
        else if (name == QLatin1String("throughput"))
            benchThroughput();
    }
    return 0;
}
