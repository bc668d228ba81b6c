// SPDX-License-Identifier: GPL-3.0-or-later
// Throughput and memory of the terminal's receive box, fed through the real
// receive path (the serial component's OnComm event into the window's
// receive handler, echo on), beside a plain text box that gets one character
// appended per byte. Each case runs in a process of its own, so its peak
// memory is its own.
//   bench-terminal            all cases, as a table
//   bench-terminal --case N   one case, one line
#include "support/app/formfixture.h"

#include "receive/shownexcerpt.h"
#include "shell/form1.h"
#include "shell/form1ui.h"
#include "terminal/terminalview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
constexpr qsizetype kMiB = 1024 * 1024;
// What one read of a fast serial line typically hands over.
constexpr qsizetype kChunk = 4096;
constexpr int kSlices = 8;

struct Case
{
    const char *name;
    bool plain;        // the plain one-character-at-a-time box
    qsizetype preload; // bytes already in the box
    qsizetype bytes;   // bytes measured
    int lineLength;    // a CR LF after this many bytes; 0: none
};

const Case kCases[] = {
    {"lines of 80", false, 0, kMiB, 80},
    {"no line break", false, 0, kMiB, 0},
    {"10 MiB in box, then 1 MiB", false, 10 * kMiB, kMiB, 80},
    {"64 MiB in box, then 1 MiB", false, 64 * kMiB, kMiB, 80},
    {"plain box: lines of 80", true, 0, 256 * 1024, 80},
    {"plain box: no line break", true, 0, 4 * 1024, 0},
    {"plain box: 256 KiB in box, then 64 KiB", true, 256 * 1024, 64 * 1024, 80},
};

QByteArray traffic(qsizetype size, int lineLength)
{
    QByteArray bytes;
    bytes.reserve(size);
    for (qsizetype i = 0; i < size; ++i) {
        if (lineLength > 0 && i % (lineLength + 2) >= lineLength)
            bytes.append(i % (lineLength + 2) == lineLength ? '\r' : '\n');
        else
            bytes.append(static_cast<char>('!' + i % 90));
    }
    return bytes;
}

qint64 statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

struct Result
{
    double seconds = 0;
    double slowestSlice = 0;
    double fastestSlice = 0;
};

// Feeds the bytes chunk by chunk, letting the event loop run between chunks
// as it does between two reads of the port, and times each slice.
Result feed(const QByteArray &bytes, const std::function<void(const QByteArray &)> &receive,
            const std::function<void()> &finish)
{
    Result result;
    result.slowestSlice = 1e300;
    const qsizetype sliceSize = std::max<qsizetype>(bytes.size() / kSlices, kChunk);
    QElapsedTimer total;
    QElapsedTimer slice;
    total.start();
    slice.start();
    for (qsizetype at = 0; at < bytes.size(); at += kChunk) {
        receive(bytes.mid(at, kChunk));
        QCoreApplication::processEvents();
        if ((at + kChunk) % sliceSize == 0 || at + kChunk >= bytes.size()) {
            const double rate = double(sliceSize) / (double(slice.nsecsElapsed()) / 1e9);
            result.slowestSlice = std::min(result.slowestSlice, rate);
            result.fastestSlice = std::max(result.fastestSlice, rate);
            slice.restart();
        }
    }
    finish();
    result.seconds = double(total.nsecsElapsed()) / 1e9;
    return result;
}

int runCase(const Case &benchCase)
{
    const QByteArray preload = traffic(benchCase.preload, 80);
    const QByteArray bytes = traffic(benchCase.bytes, benchCase.lineLength);
    Result result;
    // Memory is counted from before the box got any bytes, so the bytes
    // already in it count too.
    qint64 rssBefore = 0;

    if (benchCase.plain) {
        QPlainTextEdit box;
        box.resize(361, 233);
        box.show();
        QCoreApplication::processEvents();
        rssBefore = statusKiB("VmRSS:");
        const auto append = [&box](const QByteArray &chunk) {
            for (const char byte : chunk) {
                box.moveCursor(QTextCursor::End);
                box.insertPlainText(
                    QString(QChar(static_cast<char16_t>(static_cast<unsigned char>(byte)))));
            }
        };
        append(preload);
        QCoreApplication::processEvents();
        result = feed(bytes, append, [] { QCoreApplication::processEvents(); });
    } else {
        FormFixture fixture;
        Form1 &form = fixture.start();
        form.ui().TabStrip1->setCurrentIndex(2);
        form.session().Command7_Click();
        QCoreApplication::processEvents();
        rssBefore = statusKiB("VmRSS:");
        FakeComm &comm = fixture.fake();
        const auto receive = [&comm](const QByteArray &chunk) { comm.receive(chunk); };
        const auto show = [&form] {
            form.ui().Text13->flushPending();
            QCoreApplication::processEvents();
        };
        for (qsizetype at = 0; at < preload.size(); at += kChunk)
            receive(preload.mid(at, kChunk));
        show();
        result = feed(bytes, receive, show);
        // At the capacity the oldest lines go: what is held plus what went.
        const TerminalView &view = *form.ui().Text13;
        if (view.receivedBytes().size() + view.droppedBytes() != preload.size() + bytes.size())
            return 1;
    }

    const qint64 peakGrowthKiB = statusKiB("VmHWM:") - rssBefore;
    std::printf("%.0f %.0f %.0f %lld\n", double(bytes.size()) / result.seconds, result.slowestSlice,
                result.fastestSlice, peakGrowthKiB);
    return 0;
}

// What a screen reader costs: renewing the excerpt after one more line and
// telling the change, beside laying out the rows of one frame, both at the
// bottom of a full box, as the median of many.
int runExcerpt(const Case &benchCase)
{
    FormFixture fixture;
    Form1 &form = fixture.start();
    form.ui().TabStrip1->setCurrentIndex(2);
    TerminalView &box = *form.ui().Text13;
    const QByteArray bytes = traffic(benchCase.preload + benchCase.bytes, benchCase.lineLength);
    for (qsizetype at = 0; at < bytes.size(); at += kChunk)
        box.appendReceived(QString::fromLatin1(bytes.mid(at, kChunk)));
    box.flushPending();
    QCoreApplication::processEvents();

    constexpr int kRuns = 101;
    std::vector<double> frame;
    std::vector<double> excerpt;
    ShownExcerpt before = box.excerptNow();
    qsizetype told = 0;
    for (int run = 0; run < kRuns; ++run) {
        box.appendReceived(QStringLiteral("one more line of text\r\n"));
        box.flushPending();
        QElapsedTimer timer;
        timer.start();
        told += box.visibleRows().size();
        frame.push_back(double(timer.nsecsElapsed()) / 1e3);
        timer.restart();
        ShownExcerpt after = box.excerptNow();
        told += ShownExcerpt::between(before, after).inserted.size();
        excerpt.push_back(double(timer.nsecsElapsed()) / 1e3);
        before = std::move(after);
    }
    const auto median = [](std::vector<double> &values) {
        const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
        std::nth_element(values.begin(), middle, values.end());
        return *middle;
    };
    std::printf("%.0f %.0f %lld\n", median(frame), median(excerpt), static_cast<long long>(told));
    return 0;
}

// Runs one case in a process of its own, so that each starts from a fresh
// heap; its figures, or nothing if it failed or printed fewer.
QStringList runChild(const QString &self, const char *mode, int index, qsizetype fields)
{
    QProcess child;
    child.start(self, {QLatin1String(mode), QString::number(index)});
    child.waitForFinished(-1);
    const QStringList printed =
        QString::fromLocal8Bit(child.readAllStandardOutput()).simplified().split(QLatin1Char(' '));
    if (child.exitCode() != 0 || printed.size() != fields)
        return {};
    return printed;
}

int runAll(const QString &self)
{
    QTextStream out(stdout);
    out << "| case | bytes | bytes/s | slowest slice, bytes/s | fastest slice, bytes/s | "
           "peak memory growth | growth / bytes in box |\n|---|---|---|---|---|---|---|\n";
    int failures = 0;
    for (int i = 0; i < int(std::size(kCases)); ++i) {
        const Case &c = kCases[i];
        const QStringList fields = runChild(self, "--case", i, 4);
        if (fields.isEmpty()) {
            out << "| " << c.name << " | failed |\n";
            ++failures;
            continue;
        }
        const double inBox = double(c.preload + c.bytes);
        out << "| " << c.name << " | " << c.bytes << " | " << fields[0] << " | " << fields[1]
            << " | " << fields[2] << " | " << QString::number(fields[3].toDouble() / 1024, 'f', 1)
            << " MiB | " << QString::number(fields[3].toDouble() * 1024 / inBox, 'f', 1) << " |\n";
        out.flush();
    }

    out << "\nA screen reader listening: the excerpt it reads renewed after one more line "
           "and compared with the last (median of 101), beside one frame's rows\n\n"
           "| box | one frame's rows, µs | excerpt renewed and compared, µs |\n|---|---|---|\n";
    for (int i = 0; i < int(std::size(kCases)); ++i) {
        const Case &c = kCases[i];
        if (c.plain)
            continue;
        const QStringList fields = runChild(self, "--excerpt", i, 3);
        if (fields.isEmpty()) {
            out << "| " << c.name << " | failed |\n";
            ++failures;
            continue;
        }
        out << "| " << c.name << " | " << fields[0] << " | " << fields[1] << " |\n";
        out.flush();
    }
    return failures;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--case"))
        return runCase(kCases[args.at(2).toInt()]);
    if (args.size() == 3 && args.at(1) == QLatin1String("--excerpt"))
        return runExcerpt(kCases[args.at(2).toInt()]);
    return runAll(QApplication::applicationFilePath());
}
