// SPDX-License-Identifier: GPL-3.0-or-later
// The modem session without a window: the receive buffer and its quiet time,
// the connection, command mode, the read-back, the write and the exchange
// gate, over a fake serial component on a scripted time line. No real waits.
#include "support/core/fakecomm.h"
#include "support/core/recordingdialogs.h"
#include "support/core/recordingview.h"
#include "support/core/scriptedloop.h"

#include "modem/failurestatus.h"
#include "modem/modemscan.h"
#include "modem/modemsession.h"
#include "serial/portmap.h"
#include "settings/settingsstore.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;
using Button = ModemView::Button;

namespace {
const QByteArray kModemConfiguration = QByteArray::fromHex("7f7f7f7e0a01ff050a031e1e");
const QString kModemFields = QStringLiteral("7F 7F 7F 7E A 1 FF 5 10 3 30 30");
const QStringList kLoadTexts = {"7F", "7F", "7F",  "7F", "7F", "7F",
                                "7F", "7F", "107", "0",  "30", "30"};
const QString kNoResponse = QStringLiteral("No Response from Modem. Check Comms Port & Baud rate");
const QString kUnanswered = QStringLiteral("?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ??");
const QString kFakeLoss = QStringLiteral(
    "Error!! The connection to /dev/fake was lost. Plug the modem in and press Connect.");

QByteArray numbered(int count, char first = 1)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(static_cast<char>(first + i));
    return bytes;
}

// A session over a fake modem: it answers "+++" with its configuration after
// a delay and takes a 12-byte write as its new configuration.
struct Bench
{
    struct Write
    {
        qint64 atMs;
        QByteArray bytes;
    };

    // Settled: the first quiet time after start has passed.
    explicit Bench(bool settled = true)
    {
        comm.onWrite = [this](const QByteArray &bytes) {
            wire.append({loop.now().count(), bytes});
            if (answers && bytes == "+++")
                loop.at(replyDelay,
                        [this] { comm.receive(reply.isNull() ? configuration : reply); });
            if (bytes.size() == 12)
                configuration = bytes;
        };
        session.setPortSetting(QStringLiteral("1"));
        // The first quiet time after start decodes the empty buffer.
        if (settled)
            loop.runUntilIdle();
    }

    // Connected, with the configuration read and decoded, and the line quiet
    // since: the next exchange starts at once.
    void connect()
    {
        session.Command7_Click();
        loop.runUntilIdle();
        loop.advance(ModemSession::kQuietTime);
        wire.clear();
        dialogs.messages.clear();
    }

    QList<QByteArray> chunks() const
    {
        QList<QByteArray> all;
        for (const Write &write : wire)
            all.append(write.bytes);
        return all;
    }

    ScriptedLoop loop;
    FakeComm comm;
    RecordingDialogs dialogs;
    RecordingView view;
    ModemSession session{{comm, dialogs, loop, loop, loop.timer()}, view};
    QList<Write> wire;
    QByteArray configuration = kModemConfiguration;
    // What the modem answers to "+++" instead of its configuration.
    QByteArray reply;
    std::chrono::milliseconds replyDelay = 20ms;
    bool answers = true;
};

QString slotText(const RxRing &ring, int from, int count)
{
    QString text;
    for (int i = from; i < from + count; ++i)
        text += ring.slot(i);
    return text;
}
} // namespace

class SessionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startLeavesQuestionMarks();
    void connectingBeforeTheFirstQuietTimeDecodesTheReply();

    void receivedBytesAreCountedAtQuietTime_data();
    void receivedBytesAreCountedAtQuietTime();
    void quietTimeSeparatesReplies_data();
    void quietTimeSeparatesReplies();
    void emptyReadErasesSlotOnly();
    void failureInTimerStopsItAndReports();

    void connectingShowsTheOpenPort();
    void openFailures_data();
    void openFailures();
    void closingAndLosingThePort_data();
    void closingAndLosingThePort();
    void lossDuringAnExchangeStaysShown_data();
    void lossDuringAnExchangeStaysShown();
    void earlierLossLeavesLaterReadBackAlone();
    void scanLeavesADeviceLostDuringItsTry();

    void readBack_data();
    void readBack();
    void waitsEndPastTheirIntervalWithoutSpinning();

    void setWritesPacketInsideCommandMode();
    void ownWordsReadAndWriteWithoutTheFields();
    void badFieldWritesNoPacket_data();
    void badFieldWritesNoPacket();
    void setWithPortClosedIsReported();

    void commandModeButtons_data();
    void commandModeButtons();
    void failedCommandModeWriteRestoresStatusAndPointer();

    void echoFollowsWhoStartedTheWrite_data();
    void echoFollowsWhoStartedTheWrite();
    void typedCharacters_data();
    void typedCharacters();

    void requestsAreRefusedDuringAnExchange_data();
    void requestsAreRefusedDuringAnExchange();

    void commandSequencesWaitForAQuietLine_data();
    void commandSequencesWaitForAQuietLine();
    void abortLeavesCommandModeOnce_data();
    void abortLeavesCommandModeOnce();
    void replyLengthCountsTheWholeReply_data();
    void replyLengthCountsTheWholeReply();
    void typingKeepsClearOfCommandSequences();

    void awaitedReadSaysHowTheReplyEnded_data();
    void awaitedReadSaysHowTheReplyEnded();
    void dataModeSendsAndWaitsForWhatComesBack();
};

void SessionTest::startLeavesQuestionMarks()
{
    Bench bench;
    QCOMPARE(bench.view.fieldLine(), kUnanswered);
    QVERIFY(!bench.session.readPending());
    QVERIFY(!bench.view.buttons.value(Button::Command2, false));
    QVERIFY(bench.session.termEcho());
}

void SessionTest::connectingBeforeTheFirstQuietTimeDecodesTheReply()
{
    // GIVEN a session 80 ms after start, its first quiet time still to come
    Bench bench(false);
    bench.loop.advance(80ms);
    bench.replyDelay = 30ms;

    // WHEN Connect is pressed and the reply comes after that quiet time was due
    bench.session.Command7_Click();
    bench.loop.runUntilIdle();

    // THEN the reply, not the empty buffer, fills the fields
    QCOMPARE(bench.view.fieldLine(), kModemFields);
    QCOMPARE(bench.view.bytesReceived, QStringLiteral("12"));
    QCOMPARE(bench.view.status, QStringLiteral("Request Complete"));
    QVERIFY(bench.view.buttons.value(Button::Command2));
}

// --- Receive side -----------------------------------------------------------

void SessionTest::receivedBytesAreCountedAtQuietTime_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("shown");
    QTest::newRow("12 bytes") << 12 << 12;
    QTest::newRow("51 bytes wrap to 0") << 51 << 0;
    QTest::newRow("60 bytes") << 60 << 9;
}

void SessionTest::receivedBytesAreCountedAtQuietTime()
{
    QFETCH(int, count);
    QFETCH(int, shown);
    Bench bench;
    bench.connect();
    QSignalSpy ends(&bench.session, &ModemSession::replyEnded);
    QVERIFY(ends.isValid());
    const QByteArray reply = numbered(count, 'A');

    bench.comm.receive(reply);
    QCOMPARE(bench.session.rxBuffer().count(), count % 51);
    QVERIFY(!bench.session.noReply());
    bench.loop.advance(99ms);
    QCOMPARE(ends.size(), 0);
    bench.loop.advance(1ms);

    QCOMPARE(ends.size(), 1);
    QCOMPARE(ends.first().first().toInt(), shown);
    QCOMPARE(bench.view.bytesReceived, QString::number(shown));
    QCOMPARE(bench.session.rxBuffer().count(), 0);
    QVERIFY(!bench.loop.timer().isActive());
    // Slot i holds byte i, or for more than 51 the byte that overwrote it.
    const int wrapped = count > 51 ? count - 51 : 0;
    const QString text = QString::fromLatin1(reply);
    QCOMPARE(slotText(bench.session.rxBuffer(), 0, wrapped), text.mid(51, wrapped));
    QCOMPARE(slotText(bench.session.rxBuffer(), wrapped, std::min(count, 51) - wrapped),
             text.mid(wrapped, std::min(count, 51) - wrapped));
    QVERIFY(bench.view.echoed.endsWith(text));
}

void SessionTest::quietTimeSeparatesReplies_data()
{
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<QList<int>>("replies");
    QTest::newRow("99 ms apart: one reply") << 99 << QList<int>{10};
    QTest::newRow("101 ms apart: two replies") << 101 << QList<int>{5, 5};
}

void SessionTest::quietTimeSeparatesReplies()
{
    QFETCH(int, gapMs);
    QFETCH(QList<int>, replies);
    Bench bench;
    bench.connect();
    QSignalSpy ends(&bench.session, &ModemSession::replyEnded);

    bench.comm.receive(numbered(5, 'a'));
    bench.loop.advance(std::chrono::milliseconds(gapMs));
    bench.comm.receive(numbered(5, 'A'));
    bench.loop.runUntilIdle();

    QList<int> seen;
    for (const QList<QVariant> &end : ends)
        seen.append(end.first().toInt());
    QCOMPARE(seen, replies);
    // A later burst is stored from slot 0 again, over the earlier one.
    QCOMPARE(slotText(bench.session.rxBuffer(), 0, 5),
             replies.size() == 2 ? QStringLiteral("ABCDE") : QStringLiteral("abcde"));
}

void SessionTest::emptyReadErasesSlotOnly()
{
    Bench bench;
    bench.connect();
    bench.comm.receive("abc");
    bench.loop.runUntilIdle();
    QCOMPARE(bench.view.bytesReceived, QStringLiteral("3"));

    // An event with nothing to read: the slot at the write index is emptied,
    // the quiet time restarts, nothing counts as a reply.
    Q_EMIT bench.comm.OnComm();

    QVERIFY(bench.session.rxBuffer().slot(0).isEmpty());
    QCOMPARE(bench.session.rxBuffer().slot(1), QStringLiteral("b"));
    QCOMPARE(bench.session.rxBuffer().count(), 0);
    QVERIFY(bench.loop.timer().isActive());
    bench.loop.runUntilIdle();
    QCOMPARE(bench.view.bytesReceived, QStringLiteral("0"));
}

void SessionTest::failureInTimerStopsItAndReports()
{
    Bench bench;
    bench.connect();
    bench.session.Command3_Click();
    bench.loop.runUntilIdle();
    bench.loop.advance(ModemSession::kQuietTime);
    bench.comm.receive("abcd");
    bench.session.Command3_Click();
    // The decoding pass asks the component whether the port is open.
    bench.comm.failPortOpenQuery = Failure(FailureNumber::DeviceLost, "device gone");
    bench.loop.runUntilIdle();

    QCOMPARE(bench.dialogs.messages,
             (QList<RecordingDialogs::Box>{{"Error device gone", "Error"}}));
    QVERIFY(!bench.loop.timer().isActive());
    // The steps after the failure did not run.
    QVERIFY(bench.session.readPending());
    QVERIFY(bench.session.rxBuffer().count() != 0);
}

// --- Connection -------------------------------------------------------------

void SessionTest::connectingShowsTheOpenPort()
{
    Bench bench;
    bench.view.baudRate = QStringLiteral(" 9600 ");
    bench.session.setPortSetting(QStringLiteral("3"));

    bench.session.Command7_Click();
    bench.loop.runUntilIdle();

    QCOMPARE(bench.comm.settings, QStringLiteral("9600,n,8,1"));
    QCOMPARE(bench.comm.commPort, 3);
    QCOMPARE(bench.view.connectCaption, QStringLiteral("Disconnect"));
    QVERIFY(bench.view.statusHistory.contains(QStringLiteral("Connected to COMM 3")));
    QCOMPARE(bench.view.status, QStringLiteral("Request Complete"));
    QCOMPARE(bench.view.fieldLine(), kModemFields);
    for (const Button button : {Button::Command1, Button::Command2, Button::Command3,
                                Button::Command4, Button::Command5, Button::Command6})
        QVERIFY(bench.view.buttons.value(button));
    QVERIFY(!bench.view.busy);
}

void SessionTest::openFailures_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("buttonsKept");
    QTest::newRow("no device") << "4" << FailureNumber::InvalidPortNumber
                               << "Please select a valid comms port"
                               << "Invalid port" << false;
    QTest::newRow("in use") << "4" << FailureNumber::PortAlreadyOpen << "Error: busy"
                            << "Error!! busy" << false;
    // The line settings come before the buttons are disabled.
    QTest::newRow("baud refused") << "4" << FailureNumber::InvalidPropertyValue << "Error: busy"
                                  << "Error!! busy" << true;
    QTest::newRow("port not a number")
        << "abc" << 0 << "Error: Type mismatch: \"abc\""
        << "Error!! Not a comm port. Choose one in the list." << false;
    // A description too long for the status bar gets its short form there.
    QTest::newRow("no permission, long description")
        << "4" << FailureNumber::PermissionDenied
        << "Error: Permission denied on /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00"
        << "Error!! No access. Join group dialout, log in again." << false;
}

void SessionTest::openFailures()
{
    QFETCH(QString, port);
    QFETCH(int, failure);
    QFETCH(QString, box);
    QFETCH(QString, status);
    QFETCH(bool, buttonsKept);
    Bench bench;
    bench.connect();
    bench.session.Command7_Click();
    QCOMPARE(bench.view.status, QStringLiteral("Disconnected"));
    bench.session.setPortSetting(port);
    if (failure == FailureNumber::InvalidPropertyValue)
        bench.comm.failSettings = Failure(failure, "busy");
    else if (failure == FailureNumber::PermissionDenied)
        bench.comm.failOpen = Failure(
            failure, "Permission denied on /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00: "
                     "add your user to the dialout group and log in again.");
    else if (failure != 0)
        bench.comm.failOpen = Failure(failure, "busy");

    bench.session.Command7_Click();
    bench.loop.runUntilIdle();

    QVERIFY(!bench.comm.portOpen());
    QCOMPARE(bench.dialogs.messages.size(), 1);
    QVERIFY2(bench.dialogs.messages.first().prompt.startsWith(box),
             qPrintable(bench.dialogs.messages.first().prompt));
    const QStringList &history = bench.view.statusHistory;
    const QString beforeReadBack =
        history.value(history.lastIndexOf(QStringLiteral("Requesting Configuration...")) - 1);
    QVERIFY2(beforeReadBack.startsWith(status), qPrintable(beforeReadBack));
    QVERIFY2(beforeReadBack.size() <= FailureStatus::kLongestText, qPrintable(beforeReadBack));
    // The whole description, path and all, stays behind the short form.
    const QStringList &wholes = bench.view.wholeHistory;
    const QString wholeBeforeReadBack =
        wholes.value(wholes.lastIndexOf(QStringLiteral("Requesting Configuration...")) - 1);
    QCOMPARE(wholeBeforeReadBack, bench.dialogs.messages.first().prompt.startsWith("Please")
                                      ? beforeReadBack
                                      : "Error!! " + bench.dialogs.messages.first().prompt.mid(7));
    // The read-back still runs after a failed open and finds no modem, but
    // the status stays on what went wrong.
    QCOMPARE(bench.view.status, beforeReadBack);
    QCOMPARE(bench.view.whole, wholeBeforeReadBack);
    QCOMPARE(bench.view.fieldLine(), kUnanswered);
    QCOMPARE(bench.view.terminalPageShown, failure == FailureNumber::InvalidPortNumber ? 1 : 0);
    QCOMPARE(bench.view.buttons.value(Button::Command5), buttonsKept);
    QCOMPARE(bench.view.connectCaption, QStringLiteral("Connect"));
    QVERIFY(!bench.view.busy);
}

void SessionTest::closingAndLosingThePort_data()
{
    QTest::addColumn<bool>("lost");
    QTest::addColumn<QString>("status");
    QTest::newRow("disconnect") << false << "Disconnected";
    QTest::newRow("device lost") << true << FailureStatus::lost(FailureNumber::DeviceLost);
}

void SessionTest::closingAndLosingThePort()
{
    QFETCH(bool, lost);
    QFETCH(QString, status);
    Bench bench;
    bench.connect();

    if (lost)
        bench.comm.unplug();
    else
        bench.session.Command7_Click();

    QVERIFY(!bench.comm.portOpen());
    QCOMPARE(bench.view.status, status);
    // The whole description stays at hand: the path and what happened.
    QCOMPARE(bench.view.whole, lost ? kFakeLoss : status);
    QCOMPARE(bench.view.connectCaption, QStringLiteral("Connect"));
    QVERIFY(!bench.view.buttons.value(Button::Command2));
    QVERIFY(!bench.view.buttons.value(Button::Command3));
    // The terminal's buttons stay usable.
    QVERIFY(bench.view.buttons.value(Button::Command5));
    QVERIFY(bench.wire.isEmpty());
}

void SessionTest::lossDuringAnExchangeStaysShown_data()
{
    QTest::addColumn<QString>("request");
    // When the device goes, in ms after the request; -1: as "+++" is written.
    QTest::addColumn<int>("unplugAtMs");
    QTest::newRow("Refresh, waiting for the reply") << "Refresh" << 50;
    QTest::newRow("Set, before the packet") << "Set" << 50;
    QTest::newRow("Set, after the packet") << "Set" << 500;
    QTest::newRow("Set, in its read-back") << "Set" << 950;
    QTest::newRow("+++ button, as it writes") << "+++" << -1;
}

void SessionTest::lossDuringAnExchangeStaysShown()
{
    QFETCH(QString, request);
    QFETCH(int, unplugAtMs);
    // GIVEN a connected session whose modem then stops answering
    Bench bench;
    bench.connect();
    bench.answers = false;
    if (unplugAtMs < 0) {
        bench.comm.onWrite = [&bench](const QByteArray &bytes) {
            if (bytes == "+++")
                bench.comm.unplug();
        };
    } else {
        bench.loop.at(std::chrono::milliseconds(unplugAtMs), [&bench] { bench.comm.unplug(); });
    }

    // WHEN the device is lost while the request runs
    if (request == "Refresh")
        QVERIFY(bench.session.Command3_Click());
    else if (request == "Set")
        QVERIFY(bench.session.Command2_Click());
    else
        QVERIFY(bench.session.Command1_Click());
    bench.loop.runUntilIdle();

    // THEN the end of the exchange shows the loss and the closed state
    QVERIFY(bench.view.statusHistory.contains(FailureStatus::lost(FailureNumber::DeviceLost)));
    QCOMPARE(bench.view.status, FailureStatus::lost(FailureNumber::DeviceLost));
    QCOMPARE(bench.view.whole, kFakeLoss);
    QVERIFY(!bench.view.statusHistory.endsWith(kNoResponse));
    QCOMPARE(bench.view.connectCaption, QStringLiteral("Connect"));
    QVERIFY(!bench.view.buttons.value(Button::Command2));
    QVERIFY(!bench.view.buttons.value(Button::Command3));
    QVERIFY(!bench.view.busy);
    QVERIFY(!bench.session.exchangeRunning());
}

void SessionTest::earlierLossLeavesLaterReadBackAlone()
{
    Bench bench;
    bench.connect();
    bench.answers = false;
    bench.loop.at(50ms, [&bench] { bench.comm.unplug(); });
    bench.session.Command3_Click();
    bench.loop.runUntilIdle();
    QCOMPARE(bench.view.status, FailureStatus::lost(FailureNumber::DeviceLost));

    // Plugged in again and connected, a modem that keeps quiet is reported
    // as such, not as the old loss.
    bench.session.Command7_Click();
    bench.loop.runUntilIdle();
    QVERIFY(bench.comm.portOpen());
    QCOMPARE(bench.view.status, kNoResponse);
    QCOMPARE(bench.view.whole, kNoResponse);
}

void SessionTest::scanLeavesADeviceLostDuringItsTry()
{
    // GIVEN a device that is pulled out as the first try's "+++" goes out
    Bench bench;
    int entries = 0;
    bench.comm.onWrite = [&bench, &entries](const QByteArray &bytes) {
        if (bytes == "+++" && ++entries == 1)
            bench.comm.unplug();
    };
    const QTemporaryDir folder;
    SettingsStore settings(folder.filePath(QStringLiteral("scan.ini")));
    PortMap portMap(settings);
    ModemScan scan(bench.session, portMap);

    // WHEN a scan tries it at three rates
    const ModemScan::Outcome outcome =
        scan.run({QStringLiteral("/dev/fake")},
                 {QStringLiteral("38400"), QStringLiteral("9600"), QStringLiteral("19200")});

    // THEN the loss is the device's outcome and its other rates are not tried
    QCOMPARE(outcome.result, ModemScan::Outcome::Result::NothingAnswered);
    QCOMPARE(outcome.tried.size(), 1);
    QCOMPARE(outcome.tried.first().failure,
             QStringLiteral("The connection to /dev/fake was lost."));
    QVERIFY(outcome.tried.first().rates.isEmpty());
    QCOMPARE(entries, 1);
}

// --- Read-back --------------------------------------------------------------

void SessionTest::readBack_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("answers");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("status");
    QTest::newRow("full reply") << true << true << kModemConfiguration << 20 << kModemFields << "12"
                                << "Request Complete";
    QTest::newRow("no reply") << true << false << QByteArray() << 0 << kUnanswered << "0"
                              << kNoResponse;
    QTest::newRow("reply after the wait is still decoded")
        << true << true << kModemConfiguration << 150 << kModemFields << "12" << kNoResponse;
    QTest::newRow("short reply: older bytes stay in the other slots")
        << true << true << QByteArray::fromHex("01020304ff") << 20 << "1 2 3 4 FF 1 FF 5 10 3 30 30"
        << "5"
        << "Request Complete";
    QTest::newRow("long reply: first twelve decoded")
        << true << true << kModemConfiguration + numbered(8) << 20 << kModemFields << "20"
        << "Request Complete";
    QTest::newRow("port closed") << false << true << QByteArray() << 0 << kUnanswered << "0"
                                 << kNoResponse;
}

void SessionTest::readBack()
{
    QFETCH(bool, open);
    QFETCH(bool, answers);
    QFETCH(QByteArray, reply);
    QFETCH(int, delayMs);
    QFETCH(QString, fields);
    QFETCH(QString, count);
    QFETCH(QString, status);
    Bench bench;
    if (open)
        bench.connect();
    bench.answers = answers;
    bench.reply = reply;
    bench.replyDelay = std::chrono::milliseconds(delayMs);
    bench.view.setFields(kLoadTexts);

    QVERIFY(bench.session.Command3_Click());

    QCOMPARE(bench.view.status, status);
    QVERIFY(!bench.view.busy);
    bench.loop.runUntilIdle();
    QCOMPARE(bench.view.fieldLine(), fields);
    QCOMPARE(bench.view.bytesReceived, count);
    QCOMPARE(bench.chunks(), open ? QList<QByteArray>({"+++", "---"}) : QList<QByteArray>());
    QCOMPARE(bench.view.buttons.value(Button::Command2), open);
}

void SessionTest::waitsEndPastTheirIntervalWithoutSpinning()
{
    Bench bench;
    bench.connect();
    const int passesBefore = bench.loop.passes();

    bench.session.Command3_Click();

    // "---" goes out only once strictly more than 0.1 s have passed.
    QCOMPARE(bench.wire.size(), 2);
    const qint64 gap = bench.wire.at(1).atMs - bench.wire.at(0).atMs;
    QVERIFY2(gap > 100 && gap <= 102, qPrintable(QString::number(gap)));
    // It slept until the next event or the deadline: a handful of passes, not
    // one per millisecond.
    QVERIFY2(bench.loop.passes() - passesBefore < 10,
             qPrintable(QString::number(bench.loop.passes() - passesBefore)));
}

// --- Write ------------------------------------------------------------------

void SessionTest::setWritesPacketInsideCommandMode()
{
    Bench bench;
    bench.connect();
    bench.view.setFields(kLoadTexts);

    QVERIFY(bench.session.Command2_Click());

    const QByteArray packet = QByteArray::fromHex("7f7f7f7f7f7f7f7f6b001e1e");
    QCOMPARE(bench.chunks(), (QList<QByteArray>{"+++", packet, "---", "+++", "---"}));
    // The scripted clock counts whole milliseconds, so a gap may read as its
    // interval exactly; that the waits end only past it is tested above.
    const qint64 minimumGapMs[] = {200, 200, 500, 100};
    for (int i = 0; i < 4; ++i) {
        const qint64 gap = bench.wire.at(i + 1).atMs - bench.wire.at(i).atMs;
        QVERIFY2(gap >= minimumGapMs[i] && gap <= minimumGapMs[i] + 30,
                 qPrintable(QStringLiteral("gap %1: %2 ms").arg(i).arg(gap)));
    }
    QCOMPARE(
        bench.view.statusHistory.mid(bench.view.statusHistory.indexOf("Sending Configuration...")),
        (QStringList{"Sending Configuration...", "Send Complete", "Requesting Configuration...",
                     "Request Complete"}));
    QVERIFY(!bench.view.busy);
    bench.loop.runUntilIdle();
    // The modem took the packet: the read-back shows it.
    QCOMPARE(bench.view.fieldLine(), kLoadTexts.join(' '));
}

void SessionTest::ownWordsReadAndWriteWithoutTheFields()
{
    // A front end without the window's fields: reading opens the port, and a
    // write sends the configuration given, whatever the fields hold.
    Bench bench;
    const ModemSession::Reply read = bench.session.read();
    QCOMPARE(read.ending, ModemSession::Reply::Ending::Decoded);
    QVERIFY(bench.comm.portOpen());
    QVERIFY(read.config);
    QCOMPARE(read.config->packet().toLatin1(), kModemConfiguration);

    ModemConfig::Bytes bytes = bench.session.reported()->bytes();
    bytes[9] = 9;
    const ModemConfig wanted(bytes);
    bench.view.setFields(QStringList(12, QStringLiteral("GG")));
    // The modem keeps Tx Power at 3 whatever it is sent.
    QByteArray clamped = wanted.packet().toLatin1();
    clamped[9] = 3;
    bench.reply = clamped;
    bench.wire.clear();
    const ModemSession::Reply written = bench.session.write(wanted);
    QCOMPARE(written.ending, ModemSession::Reply::Ending::Decoded);
    QCOMPARE(written.config->packet().toLatin1(), clamped);

    QCOMPARE(bench.chunks(),
             (QList<QByteArray>{"+++", wanted.packet().toLatin1(), "---", "+++", "---"}));
    QVERIFY(bench.dialogs.messages.isEmpty());
    QVERIFY(!bench.session.isInCommandMode());
    QCOMPARE(bench.session.notTaken(), (QList<ModemConfig::Difference>{{9, "9", "3"}}));
    QCOMPARE(bench.view.fieldText(9), QStringLiteral("3"));
    QVERIFY(bench.view.status.endsWith(" - 1 field not taken by the modem"));
}

void SessionTest::badFieldWritesNoPacket_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("title");
    QTest::newRow("hex ??") << 0 << "??"
                            << "Invalid input (00-FF)"
                            << "Error!!";
    QTest::newRow("hex empty") << 3 << ""
                               << "Invalid input (00-FF)"
                               << "Error!!";
    QTest::newRow("256") << 8 << "256"
                         << "Incorrect value"
                         << "Error";
    QTest::newRow("negative") << 9 << "-1"
                              << "Error!! Invalid procedure call or argument in Tx Power: \"-1\" "
                                 "is negative. Enter 0 to 255."
                              << "MIRAN Modem Utility";
    QTest::newRow("overflow") << 11 << "40000"
                              << "Error!! Overflow in Rx Packet Size: \"40000\" is out of range. "
                                 "Enter 0 to 255."
                              << "MIRAN Modem Utility";
}

void SessionTest::badFieldWritesNoPacket()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, prompt);
    QFETCH(QString, title);
    Bench bench;
    bench.connect();
    bench.view.setFields(kLoadTexts);
    bench.view.setFieldText(field, text);
    QString statusWhileBoxOpen;
    std::optional<QList<QByteArray>> wireWhileBoxOpen;
    bench.dialogs.whileOpen = [&bench, &statusWhileBoxOpen, &wireWhileBoxOpen] {
        statusWhileBoxOpen = bench.view.status;
        wireWhileBoxOpen = bench.chunks();
    };

    bench.session.Command2_Click();
    bench.loop.runUntilIdle();

    QCOMPARE(bench.dialogs.messages, (QList<RecordingDialogs::Box>{{prompt, title}}));
    QCOMPARE(statusWhileBoxOpen, QStringLiteral("Sending Configuration..."));
    // The box comes before "+++": it never holds the modem in command mode.
    QCOMPARE(wireWhileBoxOpen, std::optional(QList<QByteArray>{}));
    QCOMPARE(bench.chunks(), (QList<QByteArray>{"+++", "---", "+++", "---"}));
    QCOMPARE(bench.configuration, kModemConfiguration);
    // The read-back overwrites the rejected edit with what the modem holds.
    QCOMPARE(bench.view.fieldLine(), kModemFields);
}

void SessionTest::setWithPortClosedIsReported()
{
    Bench bench;
    bench.view.setFields(kLoadTexts);

    bench.session.Command2_Click();

    QCOMPARE(bench.dialogs.messages, (QList<RecordingDialogs::Box>{{"Error!! The port is not open.",
                                                                    "MIRAN Modem Utility"}}));
    QCOMPARE(bench.view.status, kNoResponse);
    QVERIFY(bench.session.readPending());
    QVERIFY(bench.wire.isEmpty());
}

// --- Command mode buttons ---------------------------------------------------

void SessionTest::commandModeButtons_data()
{
    QTest::addColumn<bool>("enter");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::addColumn<QString>("progress");
    QTest::newRow("+++") << true << true << QList<QByteArray>{"+++"} << "Entering AT Mode...";
    QTest::newRow("- - -") << false << true << QList<QByteArray>{"---"} << "Exiting AT Mode...";
    QTest::newRow("+++, port closed")
        << true << false << QList<QByteArray>{} << "Entering AT Mode...";
}

void SessionTest::commandModeButtons()
{
    QFETCH(bool, enter);
    QFETCH(bool, open);
    QFETCH(QList<QByteArray>, sent);
    QFETCH(QString, progress);
    Bench bench;
    if (open)
        bench.connect();
    bench.answers = false;
    const QString before = bench.view.status;

    QVERIFY(enter ? bench.session.Command1_Click() : bench.session.Command4_Click());

    QCOMPARE(bench.chunks(), sent);
    QCOMPARE(bench.view.statusHistory.last(2), (QStringList{progress, before}));
    QVERIFY(!bench.view.busy);
    QCOMPARE(bench.view.busyChanges % 2, 0);
}

void SessionTest::failedCommandModeWriteRestoresStatusAndPointer()
{
    Bench bench;
    bench.connect();
    bench.comm.failOutput = Failure(FailureNumber::DeviceLost, "write failed");
    const QString before = bench.view.status;

    bench.session.guard([&bench] { bench.session.Command1_Click(); });

    QCOMPARE(bench.dialogs.messages,
             (QList<RecordingDialogs::Box>{{"Error: write failed", "Error"}}));
    QCOMPARE(bench.view.status, before);
    QVERIFY(!bench.view.busy);
}

// --- Terminal echo and typing -----------------------------------------------

void SessionTest::echoFollowsWhoStartedTheWrite_data()
{
    QTest::addColumn<bool>("fromAddressList");
    QTest::addColumn<bool>("echoed");
    QTest::newRow("Set: answers echoed") << false << true;
    QTest::newRow("address chosen: no echo") << true << false;
}

void SessionTest::echoFollowsWhoStartedTheWrite()
{
    QFETCH(bool, fromAddressList);
    QFETCH(bool, echoed);
    Bench bench;
    bench.connect();
    bench.view.setFields(kLoadTexts);
    bench.view.echoed.clear();

    if (fromAddressList)
        QVERIFY(bench.session.Combo4_Click(QStringLiteral("0102030")));
    else
        QVERIFY(bench.session.Command2_Click());
    bench.loop.runUntilIdle();

    // Twice the modem's twelve bytes: after "+++" of the write and of the
    // read-back.
    QCOMPARE(bench.view.echoed.size(), echoed ? 24 : 0);
    QCOMPARE(bench.view.bytesReceived, QStringLiteral("12"));
    QVERIFY(bench.session.termEcho());
    if (fromAddressList) {
        // The address went into the first four fields and out in the packet:
        // the last piece is cut short.
        QCOMPARE(bench.chunks().at(1).left(4), QByteArray::fromHex("01020300"));
    }
    // Echo is back on: later traffic shows.
    bench.comm.receive("ok");
    QVERIFY(bench.view.echoed.endsWith("ok"));
}

void SessionTest::typedCharacters_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("one byte each")
        << true << QList<int>{'a', 13, 255, 1} << QByteArray("a\r\xff\x01");
    QTest::newRow("beyond one byte: not sent")
        << true << QList<int>{0x20AC, 'b'} << QByteArray("b");
    QTest::newRow("port closed") << false << QList<int>{'a'} << QByteArray();
}

void SessionTest::typedCharacters()
{
    QFETCH(bool, open);
    QFETCH(QList<int>, keys);
    QFETCH(QByteArray, sent);
    Bench bench;
    if (open)
        bench.connect();

    for (const int key : keys)
        bench.session.Text14_KeyPress(key);

    QCOMPARE(bench.chunks().join(), sent);
}

// --- The exchange gate ------------------------------------------------------

void SessionTest::requestsAreRefusedDuringAnExchange_data()
{
    QTest::addColumn<QString>("running");
    QTest::addColumn<QString>("request");
    for (const char *running : {"Set", "Refresh"}) {
        for (const char *request :
             {"Connect", "port choice", "Refresh", "Set", "+++", "- - -", "address choice"})
            QTest::addRow("%s during %s", request, running) << running << request;
    }
}

void SessionTest::requestsAreRefusedDuringAnExchange()
{
    QFETCH(QString, running);
    QFETCH(QString, request);
    Bench bench;
    bench.connect();
    bench.view.setFields(kLoadTexts);
    const std::map<QString, std::function<bool()>> requests = {
        {"Connect", [&bench] { return bench.session.Command7_Click(); }},
        {"port choice", [&bench] { return bench.session.Combo1_Click("2"); }},
        {"Refresh", [&bench] { return bench.session.Command3_Click(); }},
        {"Set", [&bench] { return bench.session.Command2_Click(); }},
        {"+++", [&bench] { return bench.session.Command1_Click(); }},
        {"- - -", [&bench] { return bench.session.Command4_Click(); }},
        {"address choice", [&bench] { return bench.session.Combo4_Click("01020304"); }},
    };
    std::optional<bool> accepted;
    // WHEN, during the first wait, the request comes, and a key is typed
    bench.loop.at(50ms, [&] {
        QVERIFY(bench.session.exchangeRunning());
        accepted = requests.at(request)();
        bench.session.Text14_KeyPress('z');
    });

    QVERIFY(running == "Set" ? bench.session.Command2_Click() : bench.session.Command3_Click());
    bench.loop.runUntilIdle();

    // THEN the request was refused; only the typed key got in between.
    QCOMPARE(accepted, std::optional<bool>(false));
    const QList<QByteArray> expected =
        running == "Set"
            ? QList<QByteArray>{"+++", "z",   QByteArray::fromHex("7f7f7f7f7f7f7f7f6b001e1e"),
                                "---", "+++", "---"}
            : QList<QByteArray>{"+++", "z", "---"};
    QCOMPARE(bench.chunks(), expected);
    QCOMPARE(bench.comm.opens, 1);
    QCOMPARE(bench.session.portSetting(), QStringLiteral("1"));
    QVERIFY(!bench.session.exchangeRunning());
    // Afterwards the same request goes through.
    QVERIFY(bench.session.Command3_Click());
}

// --- The line guard and abort ----------------------------------------------

void SessionTest::commandSequencesWaitForAQuietLine_data()
{
    QTest::addColumn<QString>("rate");
    QTest::addColumn<bool>("typeFirst");
    // The write that ends the quiet time, and the one that must wait for it.
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    // More than the quiet time and the characters' time on the line.
    QTest::addColumn<double>("leastGapMs");

    // From the open (index -1): another run may have sent just before.
    QTest::newRow("first +++ after the open") << "38400" << false << -1 << 0 << 100.0;
    QTest::newRow("+++ after a typed key") << "38400" << true << 0 << 1 << 100.26;
    // "+++" takes 12.5 ms at 2400 baud before the quiet time can begin.
    QTest::newRow("--- of a read-back at 2400 baud") << "2400" << false << 0 << 1 << 112.5;
}

void SessionTest::commandSequencesWaitForAQuietLine()
{
    QFETCH(QString, rate);
    QFETCH(bool, typeFirst);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(double, leastGapMs);
    Bench bench;
    bench.view.baudRate = rate;
    // The port opens as Connect begins.
    const qint64 openedAtMs = bench.loop.now().count();
    if (typeFirst) {
        bench.connect();
        bench.session.Text14_KeyPress('a');
        QVERIFY(bench.session.Command3_Click());
    } else {
        QVERIFY(bench.session.Command7_Click());
    }
    bench.loop.runUntilIdle();

    const QList<QByteArray> expected =
        typeFirst ? QList<QByteArray>{"a", "+++", "---"} : QList<QByteArray>{"+++", "---"};
    QCOMPARE(bench.chunks(), expected);
    QCOMPARE(bench.view.fieldLine(), kModemFields);
    const qint64 fromMs = from < 0 ? openedAtMs : bench.wire.at(from).atMs;
    const qint64 gap = bench.wire.at(to).atMs - fromMs;
    QVERIFY2(static_cast<double>(gap) > leastGapMs && static_cast<double>(gap) < leastGapMs + 30,
             qPrintable(QStringLiteral("%1 ms").arg(gap)));
}

void SessionTest::abortLeavesCommandModeOnce_data()
{
    QTest::addColumn<QString>("rate");
    // Abort once this many writes went out, a millisecond later.
    QTest::addColumn<int>("afterWrites");
    QTest::addColumn<QList<QByteArray>>("wire");
    // From the last write before "---" to "---", at least.
    QTest::addColumn<double>("leastGapMs");

    const QByteArray packet = QByteArray::fromHex("7f7f7f7f7f7f7f7f6b001e1e");
    QTest::newRow("idle, connected") << "38400" << 0 << QList<QByteArray>{} << 0.0;
    QTest::newRow("after +++, before the packet")
        << "38400" << 1 << QList<QByteArray>{"+++", "---"} << 100.0;
    // The packet is still on the line for 50 ms at 2400 baud.
    QTest::newRow("just after the packet, 2400 baud")
        << "2400" << 2 << QList<QByteArray>{"+++", packet, "---"} << 150.0;
    QTest::newRow("after the write's ---")
        << "38400" << 3 << QList<QByteArray>{"+++", packet, "---"} << 0.0;
}

void SessionTest::abortLeavesCommandModeOnce()
{
    QFETCH(QString, rate);
    QFETCH(int, afterWrites);
    QFETCH(QList<QByteArray>, wire);
    QFETCH(double, leastGapMs);
    const QByteArray packet = QByteArray::fromHex("7f7f7f7f7f7f7f7f6b001e1e");
    Bench bench;
    bench.view.baudRate = rate;
    bench.connect();
    bench.view.setFields(kLoadTexts);
    const auto record = bench.comm.onWrite;
    bench.comm.onWrite = [&](const QByteArray &bytes) {
        record(bytes);
        if (bench.wire.size() == afterWrites)
            bench.loop.at(1ms, [&bench] { bench.session.abort(); });
    };

    if (afterWrites == 0)
        bench.session.abort();
    else
        QVERIFY(bench.session.Command2_Click());
    bench.loop.runUntilIdle();

    QCOMPARE(bench.chunks(), wire);
    if (leastGapMs > 0) {
        const qint64 gap = bench.wire.constLast().atMs - bench.wire.at(wire.size() - 2).atMs;
        QVERIFY2(static_cast<double>(gap) > leastGapMs, qPrintable(QString::number(gap)));
    }
    QVERIFY(bench.session.aborted());
    QVERIFY(!bench.session.isInCommandMode());
    QVERIFY(!bench.comm.portOpen());
    // Nothing is taken from then on.
    QVERIFY(!bench.session.Command7_Click());
    QVERIFY(!bench.session.Command3_Click());
    bench.session.Text14_KeyPress('x');
    bench.loop.runUntilIdle();
    QCOMPARE(bench.chunks(), wire);
    // The configuration was written whole or not at all.
    QCOMPARE(bench.configuration, wire.contains(packet) ? packet : kModemConfiguration);
}

void SessionTest::replyLengthCountsTheWholeReply_data()
{
    QTest::addColumn<int>("length");
    QTest::newRow("a configuration") << 12;
    QTest::newRow("one byte more") << 13;
    // A whole number of rounds of the receive buffer plus twelve: the buffer's
    // count alone would pass it for a configuration.
    QTest::newRow("noise, 80 rounds and 12") << RxRing::kSlots * 80 + 12;
}

void SessionTest::replyLengthCountsTheWholeReply()
{
    QFETCH(int, length);
    Bench bench;
    bench.connect();
    bench.reply = numbered(length);

    const ModemSession::Reply reply = bench.session.read();

    QCOMPARE(reply.length, length);
    QCOMPARE(bench.view.bytesReceived, QString::number(length % RxRing::kSlots));
}

void SessionTest::typingKeepsClearOfCommandSequences()
{
    Bench bench;
    bench.connect();
    // GIVEN keys typed 10 ms after a read-back's "+++", and while its "---"
    // waits for the quiet line
    bench.comm.onWrite = [&bench, record = bench.comm.onWrite](const QByteArray &bytes) {
        record(bytes);
        if (bytes == "+++" && bench.wire.size() == 1)
            bench.loop.at(10ms, [&bench] { bench.session.Text14_KeyPress('a'); });
        if (bytes == "a")
            bench.loop.at(50ms, [&bench] { bench.session.Text14_KeyPress('b'); });
    };
    QVERIFY(bench.session.Command3_Click());
    bench.loop.runUntilIdle();
    // WHEN the next read-back comes later
    bench.loop.advance(200ms);
    QVERIFY(bench.session.Command3_Click());
    bench.loop.runUntilIdle();

    // THEN each key waits for the quiet time after a sequence, and each
    // sequence for the quiet time after a key: the modem hears every
    // sequence on its own, and the keys in the order typed
    QCOMPARE(bench.chunks(), (QList<QByteArray>{"+++", "a", "---", "b", "+++", "---"}));
    for (const int i : {0, 1, 3}) {
        const qint64 gap = bench.wire.at(i + 1).atMs - bench.wire.at(i).atMs;
        QVERIFY2(gap > 100, qPrintable(QStringLiteral("gap %1: %2 ms").arg(i).arg(gap)));
    }
    QCOMPARE(bench.view.fieldLine(), kModemFields);
}

void SessionTest::awaitedReadSaysHowTheReplyEnded_data()
{
    using Ending = ModemSession::Reply::Ending;
    QTest::addColumn<QString>("modem");
    QTest::addColumn<int>("ending");
    QTest::addColumn<qint64>("endsByMs");
    QTest::newRow("answers") << "answers" << int(Ending::Decoded) << qint64(1000);
    QTest::newRow("silent") << "silent" << int(Ending::NoAnswer) << qint64(1000);
    // A byte every 50 ms for ever: never a quiet time.
    QTest::newRow("endless") << "endless" << int(Ending::Endless) << qint64(6000);
    QTest::newRow("unplugged while answering")
        << "unplugged" << int(Ending::PortClosed) << qint64(1000);
    QTest::newRow("aborted while answering") << "aborted" << int(Ending::Aborted) << qint64(1000);
}

void SessionTest::awaitedReadSaysHowTheReplyEnded()
{
    QFETCH(QString, modem);
    QFETCH(int, ending);
    QFETCH(qint64, endsByMs);
    Bench bench;
    bench.answers = modem == "answers";
    std::function<void()> drip = [&bench, &drip] {
        bench.comm.receive("x");
        bench.loop.at(50ms, drip);
    };
    bench.comm.onWrite = [&, record = bench.comm.onWrite](const QByteArray &bytes) {
        record(bytes);
        if (bytes != "+++" || bench.answers)
            return;
        if (modem == "endless")
            drip();
        else if (modem == "unplugged" || modem == "aborted")
            bench.loop.at(20ms, [&] {
                bench.comm.receive("xx");
                bench.loop.at(30ms, [&] {
                    if (modem == "unplugged")
                        bench.comm.unplug();
                    else
                        bench.session.abort();
                });
            });
    };

    const ModemSession::Reply reply = bench.session.read();

    QCOMPARE(int(reply.ending), ending);
    QVERIFY2(bench.loop.now().count() < endsByMs,
             qPrintable(QString::number(bench.loop.now().count())));
    QCOMPARE(reply.config.has_value(), modem == "answers");
    // Whatever the end, a modem still there is out of command mode.
    QVERIFY(!bench.session.isInCommandMode());
    if (modem != "unplugged")
        QCOMPARE(bench.chunks().count("---"), bench.chunks().count("+++"));
}

void SessionTest::dataModeSendsAndWaitsForWhatComesBack()
{
    Bench bench;
    // Nothing goes out on a closed port.
    QVERIFY(!bench.session.send("early"));
    bench.connect();
    bench.answers = false;
    // Right after the read-back's "---", data keeps clear of it.
    QVERIFY(bench.session.Command3_Click());
    const qint64 exitAt = bench.wire.last().atMs;
    QVERIFY(bench.session.send("ping"));
    QCOMPARE(bench.chunks().last(), QByteArray("ping"));
    QVERIFY(bench.wire.last().atMs > exitAt + 100);
    bench.session.takeReceived();

    // The far end answers in two pieces; the wait ends with the pattern.
    bench.loop.at(30ms, [&bench] { bench.comm.receive("po"); });
    bench.loop.at(60ms, [&bench] { bench.comm.receive("ng\r\nmore"); });
    const auto start = bench.loop.now();
    QVERIFY(bench.session.waitForPattern("\r\n", 1s));
    QCOMPARE(bench.loop.now() - start, 60ms);
    QCOMPARE(bench.session.takeReceived(), QByteArray("pong\r\nmore"));
    // Nothing more comes: the count is not reached and the wait gives up on time.
    QVERIFY(!bench.session.waitForBytes(1, 200ms));
    QVERIFY(bench.loop.now() - start > 260ms);
    // An unplug ends a wait at once.
    bench.loop.at(10ms, [&bench] { bench.comm.unplug(); });
    QVERIFY(!bench.session.waitForBytes(1, 10s));
    QVERIFY(bench.loop.now() - start < 1s);
    QVERIFY(!bench.session.send("late"));
}

QTEST_GUILESS_MAIN(SessionTest)
#include "tst_session.moc"
