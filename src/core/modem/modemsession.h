// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lineguard.h"
#include "modemconfig.h"
#include "modemview.h"
#include "portconnection.h"
#include "rxring.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>
#include <utility>

class Clock;
class CommControl;
class Dialogs;
class EventPump;
class Failure;
class Timer;

// The modem session: the form-level state and every step of the modem's
// protocol, below any window. It opens and closes the port, takes received
// bytes into the receive buffer, finds the end of a reply by its quiet time,
// reads the configuration back, writes it, and sends the terminal's bytes.
//
// It owns the one exchange gate: while a read-back or a write waits, any
// request that would start another exchange or touch the port is refused and
// returns false, whoever asks. Terminal typing still goes through.
//
// What goes out goes through its line guard (LineGuard): "+++" and "---"
// only after a quiet line, typed characters clear of them. Its port, as the
// view shows it, is a PortConnection. A modem left in command mode is taken
// out of it by abort().
class ModemSession final : public QObject
{
    Q_OBJECT

public:
    struct Platform
    {
        CommControl &comm;
        Dialogs &dialogs;
        const Clock &clock;
        EventPump &pump;
        // The quiet-time timer, Timer1.
        Timer &timer;
    };

    static constexpr std::chrono::milliseconds kQuietTime{100};
    static constexpr std::chrono::milliseconds kReplyWindow{100};
    static constexpr std::chrono::milliseconds kAfterEntry{200};
    static constexpr std::chrono::milliseconds kAfterPacket{200};
    static constexpr std::chrono::milliseconds kAfterExit{500};
    // How long a try of a scan waits past the read-back for a reply to end.
    static constexpr std::chrono::milliseconds kProbeReplyLimit{300};
    // The pause at the end of a try, before the port closes.
    static constexpr std::chrono::milliseconds kProbeSettle{50};

    ModemSession(const Platform &platform, ModemView &view, QObject *parent = nullptr);

    // The ten line rates the program offers, slowest first.
    static const QStringList &baudRates();
    // What the status says after a read-back that nothing answered.
    static QString noResponseText();

    // Requests; each returns false, having done nothing, while an exchange runs
    // or once the session was aborted.
    // "Connect" and "Disconnect".
    bool Command7_Click();
    // A comm port chosen in the list: reconnects there.
    bool Combo1_Click(const QString &port);
    // "Refresh": reads the configuration back.
    bool Command3_Click();
    // "Set": writes the twelve fields and reads them back.
    bool Command2_Click();
    // The Terminal page's "+++" and "- - -".
    bool Command1_Click();
    bool Command4_Click();
    // A destination address chosen: written into the modem at once, echo off.
    bool Combo4_Click(const QString &address);
    // One typed character, sent while the port is open; never refused, but
    // held back while a command sequence needs the line to itself.
    void Text14_KeyPress(int keyAscii);

    // The session's own words, for a front end without the window's buttons.
    // Each finishes what it starts: it returns once the reply was decoded,
    // its time ran out, the port closed or the session was aborted.
    struct Reply
    {
        enum class Ending
        {
            // The quiet time ended the reply and it was decoded.
            Decoded,
            // Nothing answered the read-back.
            NoAnswer,
            // Characters kept coming for kLongestReply without a quiet time.
            Endless,
            PortClosed,
            Aborted,
            // An exchange runs.
            Refused,
        };
        Ending ending = Ending::Refused;
        // Characters that came for the read-back, the whole reply however
        // long (the receive buffer keeps only the last slots of it).
        qint64 length = 0;
        // What the modem reported, when all twelve bytes came.
        std::optional<ModemConfig> config;
    };
    // The longest a reply may run on without its quiet time.
    static constexpr std::chrono::seconds kLongestReply{5};

    // Reads the configuration back, having opened the port as Connect does
    // when it is closed.
    Reply read();
    // Writes this configuration as Set writes the fields, and reads it back.
    Reply write(const ModemConfig &config);
    // Closes the port as Disconnect does.
    bool close();

    // Data mode: bytes for the other end of the radio link. send() hands them
    // to the driver in one write once no command sequence needs the line
    // (waiting for that when one just went). Everything received is kept for
    // the waits, at most kReceivedLimit bytes, the oldest dropped first.
    bool send(const QByteArray &bytes);
    // Wait until at least count bytes, or bytes ending in the pattern, were
    // received and not yet taken; false when the time ran out, the port
    // closed or the session was aborted first.
    bool waitForBytes(qsizetype count, std::chrono::milliseconds timeout);
    bool waitForPattern(const QByteArray &pattern, std::chrono::milliseconds timeout);
    const QByteArray &received() const { return m_received; }
    QByteArray takeReceived();
    static constexpr qsizetype kReceivedLimit = 1 << 20;

    // What the last decoded read-back reported, when all twelve bytes came.
    const std::optional<ModemConfig> &reported() const { return m_reported; }
    // The fields the read-back after the last write reported otherwise than
    // it sent them; empty when the modem took them all.
    const QList<ModemConfig::Difference> &notTaken() const { return m_notTaken; }

    // One try of a modem scan, an exchange of its own: opens the port in
    // force at scratch.baudRateText(), runs the read-back, waits for the
    // reply's quiet time when something answered (at most kProbeReplyLimit),
    // and closes the port. Everything it shows goes to scratch, not to the
    // session's view; the pending decode is as it was afterwards. A failed
    // open throws its Failure, and a port lost during the try throws one
    // with the loss's description. Returns the characters received, or
    // nullopt when refused because an exchange runs.
    std::optional<qint64> probe(ModemView &scratch);

    bool exchangeRunning() const { return m_exchangeDepth > 0; }
    // A request now would be refused.
    bool refused() const { return exchangeRunning() || m_aborted; }
    bool portOpen() const;

    // Ends the session's use of the modem for good, at once: a modem in
    // command mode is sent "---" once the line is quiet, the port closes,
    // every wait ends at its next look and nothing more is sent. For a signal
    // or a user who gives up; requests are refused from then on.
    void abort();
    bool aborted() const { return m_aborted; }
    // "+++" went out and its "---" has not yet.
    bool isInCommandMode() const { return m_line.inCommandMode(); }

    // The comm port number in force, as text.
    const QString &portSetting() const { return m_connection.portSetting(); }
    void setPortSetting(const QString &port) { m_connection.setPortSetting(port); }

    const RxRing &rxBuffer() const { return RxBuffer; }
    bool readPending() const { return ReadPending; }
    bool noReply() const { return NoReply; }
    bool termEcho() const { return TermEcho; }
    // Timer1 counts: a burst has not yet been ended by its quiet time.
    bool quietTimeRunning() const;

    // The timed wait between the steps of an exchange: lets events run and
    // sleeps between them, until strictly more than the interval has passed.
    void DelaySeconds(std::chrono::duration<double> interval);

    // Runs a handler as an entry from the event loop: a failure is shown in a
    // box, the pointer comes back, and the program goes on.
    void guard(const std::function<void()> &handler);

Q_SIGNALS:
    // A quiet time ended a burst of this many received characters (modulo
    // the buffer's size), after the decoding pass when one was pending.
    void replyEnded(int characters);

private:
    // Marks an exchange as running for as long as it lives.
    class ExchangeScope;

    void MSComm1_OnComm();
    void Timer1_Timer();
    void connectAndRead();

    void EnterATMode();
    void CloseATMode();
    // Typed characters that wait go out when the timer says they may.
    void scheduleTyping();
    void sendFromButton(const QString &progress, void (ModemSession::*sequence)());

    void readBack();
    // The reply to the read-back just made, once decoded or given up.
    Reply awaitReply();
    void decodingPass();
    // Writes the given configuration, or the twelve fields' when none is.
    void writeConfiguration(const ModemConfig *given);
    // The configuration in the twelve fields, or nothing when a field is
    // refused (its message shown). Checked before "+++", so that no message
    // box holds the modem in command mode.
    std::optional<ModemConfig> checkedConfig();
    void SendConfigPacket(const ModemConfig &config);
    void showPacketFailure(const Failure &failure);

    void confirmSet(const ModemConfig::Texts &decoded);
    void keepReceived(const QString &chunk);
    bool waitForReceived(const std::function<bool()> &enough, std::chrono::milliseconds timeout);

    void showFields(const QString &text);

    CommControl &m_comm;
    Dialogs &m_dialogs;
    Timer &m_timer1;
    // The window's view; a scan's try reports to its own view instead.
    ModemView *m_view;

    // Received characters of the current reply, one per slot; its write index
    // is RxCount.
    RxRing RxBuffer;
    // The next quiet time decodes the buffer into the twelve fields.
    bool ReadPending = true;
    // True from a read-back request until a receive event delivers a
    // character.
    bool NoReply = true;
    // Received characters go to the terminal's receive box.
    bool TermEcho = true;
    int m_exchangeDepth = 0;
    // The quiet time started with the session has not ended yet.
    bool m_startupPass = true;
    // Characters received since the session began; never wraps in practice.
    qint64 m_receivedCount = 0;
    // Received bytes not yet taken by a data wait.
    QByteArray m_received;
    // The configuration the last Set wrote, kept until the read-back after
    // it decodes or another read-back starts.
    std::optional<ModemConfig> m_sent;
    // What the last decoded read-back reported, and what it did not take of
    // the Set before it.
    std::optional<ModemConfig> m_reported;
    QList<ModemConfig::Difference> m_notTaken;
    bool m_confirmPending = false;
    // The next read-back is the one after a Set.
    bool m_readBackConfirms = false;
    // The losses counted when the running exchange began: a loss during an
    // exchange stays the status at its end.
    int m_lossesAtExchangeStart = 0;

    bool m_aborted = false;
    LineGuard m_line;
    PortConnection m_connection;
    QTimer m_typingTimer;
    qint64 m_receivedAtRequest = 0;
    qint64 m_replyLength = 0;
};
