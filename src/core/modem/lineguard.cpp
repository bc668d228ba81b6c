// SPDX-License-Identifier: GPL-3.0-or-later
#include "lineguard.h"

#include "serial/commcontrol.h"
#include "system/clock.h"
#include "system/eventpump.h"

#include <QScopeGuard>

#include <algorithm>
#include <utility>

namespace {
const QString kEntry = QStringLiteral("+++");
const QString kExit = QStringLiteral("---");
} // namespace

LineGuard::LineGuard(CommControl &comm, const Clock &clock, EventPump &pump,
                     std::chrono::milliseconds quietTime)
    : m_comm(comm)
    , m_clock(clock)
    , m_pump(pump)
    , m_quietTime(std::chrono::duration<double>(quietTime).count())
{}

void LineGuard::opened(int lineRate)
{
    m_commandMode = false;
    m_lineRate = lineRate > 0 ? lineRate : kFallbackLineRate;
    m_lineFreeAt = m_clock.seconds();
}

void LineGuard::transmit(const QString &bytes)
{
    const double now = m_clock.seconds();
    m_comm.setOutput(bytes);
    if (bytes == kEntry)
        m_commandMode = true;
    else if (bytes == kExit)
        m_commandMode = false;
    // The driver sends what it was handed one character after another.
    m_lineFreeAt = std::max(now, m_lineFreeAt) +
                   static_cast<double>(bytes.size()) * kBitsPerCharacter / m_lineRate;
}

void LineGuard::sendSequence(const QString &sequence)
{
    if (!m_comm.portOpen() || m_stopped)
        return;
    // From now on typing waits for the sequence.
    m_sequenceDue = true;
    const auto gone = qScopeGuard([this] { m_sequenceDue = false; });
    waitForQuiet();
    // The wait let events run: the port may be gone, the run given up.
    if (!m_comm.portOpen() || m_stopped)
        return;
    transmit(sequence);
    m_heldUntil = quietAt();
}

void LineGuard::closed()
{
    m_commandMode = false;
    m_typed.clear();
}

double LineGuard::quietAt() const
{
    return m_lineFreeAt + m_quietTime;
}

bool LineGuard::free() const
{
    return !m_sequenceDue && m_clock.seconds() > m_heldUntil;
}

bool LineGuard::waitUntil(const std::function<double()> &end, const std::function<bool()> &done)
{
    for (;;) {
        if (done())
            return true;
        const double now = m_clock.seconds();
        const double until = end();
        if (now > until)
            return false;
        pump(std::chrono::duration<double>(until - now));
    }
}

void LineGuard::waitForQuiet()
{
    // What was typed before goes first, where it may.
    sendTypingIfFree();
    // Typing sent during the wait moves the end on.
    waitUntil([this] { return quietAt(); }, [this] { return !m_comm.portOpen(); });
}

bool LineGuard::waitFor(std::chrono::duration<double> time, const std::function<bool()> &done)
{
    const double end = m_clock.seconds() + time.count();
    return waitUntil([end] { return end; }, done);
}

void LineGuard::delay(std::chrono::duration<double> interval)
{
    waitFor(interval, [this] { return m_stopped; });
}

void LineGuard::type(QChar character)
{
    // After whatever still waits.
    m_typed += character;
    sendTypingIfFree();
}

void LineGuard::sendTypingIfFree()
{
    if (m_typed.isEmpty() || !free())
        return;
    // One write a key, as when typed.
    const QString typed = std::exchange(m_typed, QString());
    for (const QChar character : typed) {
        if (m_comm.portOpen() && !m_stopped)
            transmit(QString(character));
    }
}

std::optional<std::chrono::milliseconds> LineGuard::typingDelay() const
{
    if (m_typed.isEmpty() || m_sequenceDue)
        return std::nullopt;
    const std::chrono::duration<double> held(m_heldUntil - m_clock.seconds());
    return std::max(std::chrono::ceil<std::chrono::milliseconds>(held),
                    std::chrono::milliseconds(1));
}

void LineGuard::pump(std::chrono::duration<double> remaining)
{
    m_pump.processEvents(std::chrono::ceil<std::chrono::milliseconds>(remaining));
    sendTypingIfFree();
}
