// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <chrono>
#include <functional>
#include <optional>

class Clock;
class CommControl;
class EventPump;

// Everything the session sends goes out here, and every wait of the session
// runs here. A modem takes "+++" or "---" as a command sequence only when
// the line has been quiet before it, so a sequence goes out once the line
// has been quiet from our side for the quiet time (the time a sent byte
// takes on the line counted in; and after the port opened, since the line's
// previous user may have just sent). Typed characters keep clear of the
// sequences: from the moment one is due until its own quiet time has passed
// they wait, in order, and go out then.
class LineGuard
{
public:
    LineGuard(CommControl &comm, const Clock &clock, EventPump &pump,
              std::chrono::milliseconds quietTime);

    // The port opened at this line rate in bits a second (the fallback when it
    // is not a positive number): out of command mode, the line busy until now.
    void opened(int lineRate);
    // Hands the bytes to the driver now and notes when they will have left
    // the line; "+++" and "---" move in and out of command mode.
    void transmit(const QString &bytes);
    // "+++" or "---" on an open port once the line is quiet; nothing once
    // stopped or when the port closed during the wait.
    void sendSequence(const QString &sequence);
    bool inCommandMode() const { return m_commandMode; }
    // The port closed or was lost: no command mode, nothing typed left.
    void closed();
    // Nothing more goes out but what transmit() is handed, and delays end.
    void stop() { m_stopped = true; }

    // The clock's reading after which the line has been quiet for the quiet
    // time; strictly after it.
    double quietAt() const;
    // Bytes other than a sequence may go out now.
    bool free() const;

    // Every wait: lets events run, and typed characters go out the moment
    // they may, until done() holds or the clock reads strictly past end(),
    // which may move on meanwhile. Returns done().
    bool waitUntil(const std::function<double()> &end, const std::function<bool()> &done);
    // The same with a fixed end: the time from now.
    bool waitFor(std::chrono::duration<double> time, const std::function<bool()> &done);
    // Until the line has been quiet for the quiet time, or the port closed.
    void waitForQuiet();
    // Until strictly more than the interval has passed, or stopped.
    void delay(std::chrono::duration<double> interval);

    // A typed character, sent now when it may go, else kept in order.
    void type(QChar character);
    // Sends the typed characters that wait, one write each, when they may go.
    void sendTypingIfFree();
    // How long until the waiting typed characters may go; nothing when none
    // wait or a sequence is due (it schedules them once it has gone).
    std::optional<std::chrono::milliseconds> typingDelay() const;

    static constexpr int kFallbackLineRate = 9600;

private:
    // The bits of one character on an 8N1 line: start, eight data, stop.
    static constexpr double kBitsPerCharacter = 10;

    void pump(std::chrono::duration<double> remaining);

    CommControl &m_comm;
    const Clock &m_clock;
    EventPump &m_pump;
    double m_quietTime;
    double m_lineRate = kFallbackLineRate;
    // The clock's reading when the last byte sent will have left the line.
    double m_lineFreeAt = 0;
    // Typed characters not yet sent, and until when a sequence just sent
    // keeps them back; a sequence is due (waiting for its quiet line).
    QString m_typed;
    double m_heldUntil = 0;
    bool m_sequenceDue = false;
    bool m_commandMode = false;
    bool m_stopped = false;
};
