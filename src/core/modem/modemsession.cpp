// SPDX-License-Identifier: GPL-3.0-or-later
#include "modemsession.h"

#include "modemconfig.h"

#include "address/addressentry.h"
#include "replydecoder.h"
#include "serial/commcontrol.h"
#include "system/application.h"
#include "system/dialogs.h"
#include "system/failure.h"
#include "system/timer.h"

#include <QScopeGuard>

using Button = ModemView::Button;

namespace {
constexpr int kLargestByte = 0xFF;
const QString kEntry = QStringLiteral("+++");
const QString kExit = QStringLiteral("---");

ModemSession::Reply endedWith(ModemSession::Reply::Ending ending)
{
    ModemSession::Reply reply;
    reply.ending = ending;
    return reply;
}
} // namespace

class ModemSession::ExchangeScope
{
public:
    explicit ExchangeScope(ModemSession &session)
        : m_session(session)
    {
        if (m_session.m_exchangeDepth++ == 0)
            m_session.m_lossesAtExchangeStart = m_session.m_connection.losses();
    }
    ~ExchangeScope() { --m_session.m_exchangeDepth; }

    ExchangeScope(const ExchangeScope &) = delete;
    ExchangeScope &operator=(const ExchangeScope &) = delete;

private:
    ModemSession &m_session;
};

ModemSession::ModemSession(const Platform &platform, ModemView &view, QObject *parent)
    : QObject(parent)
    , m_comm(platform.comm)
    , m_dialogs(platform.dialogs)
    , m_timer1(platform.timer)
    , m_view(&view)
    , m_line(platform.comm, platform.clock, platform.pump, kQuietTime)
    , m_connection(platform.comm, platform.dialogs, m_line, view)
{
    connect(&m_comm, &CommControl::OnComm, this, [this] { guard([this] { MSComm1_OnComm(); }); });
    connect(&m_comm, &CommControl::portLost, this, [this](const QString &description, int number) {
        guard([this, &description, number] { m_connection.lost(description, number); });
    });
    m_timer1.setTimeoutHandler([this] { guard([this] { Timer1_Timer(); }); });
    m_typingTimer.setSingleShot(true);
    connect(&m_typingTimer, &QTimer::timeout, this, [this] {
        guard([this] {
            m_line.sendTypingIfFree();
            scheduleTyping();
        });
    });
    // Timer1 starts out running: the first quiet time decodes the empty
    // buffer, which shows "??" in every field.
    m_timer1.start(kQuietTime);
}

const QStringList &ModemSession::baudRates()
{
    static const QStringList rates{QStringLiteral("2400"),   QStringLiteral("4800"),
                                   QStringLiteral("9600"),   QStringLiteral("14400"),
                                   QStringLiteral("19200"),  QStringLiteral("28800"),
                                   QStringLiteral("38400"),  QStringLiteral("56000"),
                                   QStringLiteral("128000"), QStringLiteral("256000")};
    return rates;
}

QString ModemSession::noResponseText()
{
    return QStringLiteral("No Response from Modem. Check Comms Port & Baud rate");
}

void ModemSession::guard(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &failure) {
        m_view->setBusyPointer(false);
        m_dialogs.messageBox(QStringLiteral("Error: ") + describeFailure(failure),
                             QStringLiteral("Error"));
    }
}

bool ModemSession::portOpen() const
{
    return m_comm.portOpen();
}

bool ModemSession::quietTimeRunning() const
{
    return m_timer1.isActive();
}

void ModemSession::abort()
{
    if (std::exchange(m_aborted, true))
        return;
    m_line.stop();
    try {
        if (m_line.inCommandMode() && m_comm.portOpen()) {
            m_line.waitForQuiet();
            if (m_comm.portOpen())
                m_line.transmit(kExit);
        }
    } catch (const std::exception &) {
        // The device went away: no modem is left to take out of command mode.
    }
    m_line.closed();
    try {
        if (m_comm.portOpen())
            m_comm.setPortOpen(false);
    } catch (const std::exception &) {
        // Closing is all that was left to do.
    }
}

// --- Requests ---------------------------------------------------------------

bool ModemSession::Command7_Click()
{
    if (refused())
        return false;
    if (m_comm.portOpen())
        return close();
    connectAndRead();
    return true;
}

bool ModemSession::close()
{
    if (refused())
        return false;
    m_connection.CloseComms();
    return true;
}

ModemSession::Reply ModemSession::read()
{
    if (refused())
        return endedWith(Reply::Ending::Refused);
    if (m_comm.portOpen())
        readBack();
    else
        connectAndRead();
    return awaitReply();
}

ModemSession::Reply ModemSession::write(const ModemConfig &config)
{
    if (refused())
        return endedWith(Reply::Ending::Refused);
    writeConfiguration(&config);
    return awaitReply();
}

bool ModemSession::Combo1_Click(const QString &port)
{
    if (refused())
        return false;
    m_connection.CloseComms();
    m_connection.setPortSetting(port);
    connectAndRead();
    return true;
}

bool ModemSession::Command3_Click()
{
    if (refused())
        return false;
    readBack();
    return true;
}

bool ModemSession::Command2_Click()
{
    if (refused())
        return false;
    writeConfiguration(nullptr);
    return true;
}

bool ModemSession::Command1_Click()
{
    if (refused())
        return false;
    sendFromButton(QStringLiteral("Entering AT Mode..."), &ModemSession::EnterATMode);
    return true;
}

bool ModemSession::Command4_Click()
{
    if (refused())
        return false;
    sendFromButton(QStringLiteral("Exiting AT Mode..."), &ModemSession::CloseATMode);
    return true;
}

bool ModemSession::Combo4_Click(const QString &address)
{
    if (refused())
        return false;
    const auto pieces = AddressEntry::pieces(address);
    for (size_t i = 0; i < pieces.size(); ++i)
        m_view->setFieldText(static_cast<int>(i), pieces[i]);
    TermEcho = false;
    // Echo comes back on also when the write fails.
    const auto echoOn = qScopeGuard([this] { TermEcho = true; });
    writeConfiguration(nullptr);
    return true;
}

void ModemSession::Text14_KeyPress(int keyAscii)
{
    // A character beyond one byte is shown in the box but cannot be sent.
    if (!m_comm.portOpen() || m_aborted || keyAscii <= 0 || keyAscii > kLargestByte)
        return;
    // After whatever still waits, and only once no sequence needs the line.
    m_line.type(QChar(static_cast<char16_t>(keyAscii)));
    scheduleTyping();
}

// --- Data mode --------------------------------------------------------------

bool ModemSession::send(const QByteArray &bytes)
{
    if (refused() || !m_comm.portOpen())
        return false;
    // Typed characters that wait go first; a sequence just sent keeps the
    // line to itself for its quiet time.
    m_line.sendTypingIfFree();
    m_line.waitUntil([this] { return m_line.quietAt(); },
                     [this] { return m_line.free() || !m_comm.portOpen(); });
    if (!m_comm.portOpen() || !m_line.free())
        return false;
    m_line.transmit(QString::fromLatin1(bytes));
    return true;
}

bool ModemSession::waitForBytes(qsizetype count, std::chrono::milliseconds timeout)
{
    return waitForReceived([this, count] { return m_received.size() >= count; }, timeout);
}

bool ModemSession::waitForPattern(const QByteArray &pattern, std::chrono::milliseconds timeout)
{
    return waitForReceived([this, &pattern] { return m_received.contains(pattern); }, timeout);
}

bool ModemSession::waitForReceived(const std::function<bool()> &enough,
                                   std::chrono::milliseconds timeout)
{
    m_line.waitFor(timeout,
                   [this, &enough] { return enough() || !m_comm.portOpen() || m_aborted; });
    return enough();
}

QByteArray ModemSession::takeReceived()
{
    return std::exchange(m_received, QByteArray());
}

void ModemSession::keepReceived(const QString &chunk)
{
    m_received += chunk.toLatin1();
    // Trimmed in steps, so that a flood does not move the whole store for
    // every chunk.
    if (m_received.size() > 2 * kReceivedLimit)
        m_received.remove(0, m_received.size() - kReceivedLimit);
}

// --- Receive side -----------------------------------------------------------

void ModemSession::MSComm1_OnComm()
{
    m_startupPass = false;
    m_timer1.stop();
    m_timer1.start(kQuietTime);

    // Everything that waits is taken at once and handled as one receive event
    // per character would handle it: a slot each, in order. A fast line hands
    // over thousands of bytes per event.
    const QString chunk = m_comm.inputWaiting();
    if (chunk.isEmpty()) {
        RxBuffer.store(chunk);
        return;
    }
    RxBuffer.storeEach(chunk);
    if (TermEcho)
        m_view->echoReceived(chunk);
    m_timer1.start(kQuietTime);
    NoReply = false;
    m_receivedCount += chunk.size();
    keepReceived(chunk);
}

void ModemSession::Timer1_Timer()
{
    m_startupPass = false;
    const int characters = RxBuffer.count();
    try {
        if (ReadPending)
            decodingPass();
        m_view->setBytesReceived(QString::number(characters));
        RxBuffer.resetCount();
        m_timer1.stop();
    } catch (const std::exception &failure) {
        m_timer1.stop();
        m_dialogs.messageBox(QStringLiteral("Error ") + describeFailure(failure),
                             QStringLiteral("Error"));
        return;
    }
    Q_EMIT replyEnded(characters);
}

// --- Port connection --------------------------------------------------------

void ModemSession::connectAndRead()
{
    const bool opened = m_connection.OpenComms();
    readBack();
    // The read-back finds the port closed and would blame the modem or the
    // baud rate; the failed open is what the user has to mend.
    if (!opened)
        m_connection.showOpenFailure();
}

// --- Command mode -----------------------------------------------------------

void ModemSession::EnterATMode()
{
    m_line.sendSequence(kEntry);
    scheduleTyping();
}

void ModemSession::CloseATMode()
{
    m_line.sendSequence(kExit);
    scheduleTyping();
}

void ModemSession::scheduleTyping()
{
    if (const auto delay = m_line.typingDelay())
        m_typingTimer.start(*delay);
}

void ModemSession::DelaySeconds(std::chrono::duration<double> interval)
{
    // Ends only once the clock reads strictly more than the start plus the
    // interval.
    m_line.delay(interval);
}

void ModemSession::sendFromButton(const QString &progress, void (ModemSession::*sequence)())
{
    // The sequence may wait for a quiet line; nothing else starts meanwhile.
    const ExchangeScope exchange(*this);
    m_view->setBusyPointer(true);
    const QString saved = m_view->statusText();
    const QString savedWhole = m_view->wholeStatus();
    const int losses = m_connection.losses();
    m_view->setStatusText(progress);
    // The status and the pointer come back also when the write fails; a
    // device lost meanwhile keeps its own status.
    const auto restore = qScopeGuard([this, &saved, &savedWhole, losses] {
        if (m_connection.losses() == losses)
            m_view->setShortStatus(saved, savedWhole);
        m_view->setBusyPointer(false);
    });
    (this->*sequence)();
}

// --- Read-back --------------------------------------------------------------

void ModemSession::readBack()
{
    const ExchangeScope exchange(*this);
    m_view->setBusyPointer(true);
    const auto restorePointer = qScopeGuard([this] { m_view->setBusyPointer(false); });
    // A request within the first quiet time after start: the start-up pass
    // over the empty buffer would show only what this request shows already,
    // and would take the decode that the reply is owed.
    if (std::exchange(m_startupPass, false))
        m_timer1.stop();
    // Before the request, so that a burst still ending decodes on its own,
    // not as part of this request's reply.
    m_line.waitForQuiet();
    // Only the read-back right after a Set confirms it.
    m_confirmPending = std::exchange(m_readBackConfirms, false) && m_sent.has_value();

    showFields(ModemConfig::kUnread);
    m_view->setBytesReceived(QStringLiteral("0"));
    m_view->setStatusText(QStringLiteral("Requesting Configuration..."));
    NoReply = true;
    ReadPending = true;
    m_receivedAtRequest = m_receivedCount;

    EnterATMode();
    DelaySeconds(kReplyWindow);
    CloseATMode();

    // A device lost during the exchange is why nothing came back: say that,
    // not that the port or the baud rate may be wrong.
    if (m_connection.losses() != m_lossesAtExchangeStart) {
        // Nothing can confirm a Set whose read-back lost the modem.
        m_confirmPending = false;
        m_connection.showLoss();
    } else
        m_view->setStatusText(NoReply ? noResponseText() : QStringLiteral("Request Complete"));
}

void ModemSession::decodingPass()
{
    m_replyLength = m_receivedCount - m_receivedAtRequest;
    const ModemConfig::Texts texts = ReplyDecoder::decode(RxBuffer);
    for (size_t i = 0; i < texts.size(); ++i)
        m_view->setFieldText(static_cast<int>(i), texts[i]);
    m_reported = ModemConfig::fromShownTexts(texts);
    m_notTaken.clear();
    if (m_comm.portOpen())
        m_view->setButtonEnabled(Button::Command2, true);
    ReadPending = false;
    if (std::exchange(m_confirmPending, false))
        confirmSet(texts);
}

void ModemSession::confirmSet(const ModemConfig::Texts &decoded)
{
    m_notTaken = m_sent->differences(decoded);
    if (m_notTaken.isEmpty())
        return;
    m_view->markNotTaken(m_notTaken);
    const qsizetype count = m_notTaken.size();
    m_view->setStatusText(m_view->statusText() +
                          (count == 1
                               ? QStringLiteral(" - 1 field not taken by the modem")
                               : QStringLiteral(" - %1 fields not taken by the modem").arg(count)));
}

ModemSession::Reply ModemSession::awaitReply()
{
    // The reply is decoded at its quiet time, which ends the pending read;
    // it may already have come during the exchange's own wait.
    if (!m_aborted && m_comm.portOpen() && !NoReply) {
        m_line.waitFor(kLongestReply,
                       [this] { return !ReadPending || m_aborted || !m_comm.portOpen(); });
    }
    if (m_aborted)
        return endedWith(Reply::Ending::Aborted);
    if (!m_comm.portOpen())
        return endedWith(Reply::Ending::PortClosed);
    if (NoReply)
        return endedWith(Reply::Ending::NoAnswer);
    if (ReadPending)
        return endedWith(Reply::Ending::Endless);
    Reply reply = endedWith(Reply::Ending::Decoded);
    reply.length = m_replyLength;
    reply.config = m_reported;
    return reply;
}

// --- Write ------------------------------------------------------------------

void ModemSession::writeConfiguration(const ModemConfig *given)
{
    const ExchangeScope exchange(*this);
    m_view->setBusyPointer(true);
    const auto restorePointer = qScopeGuard([this] { m_view->setBusyPointer(false); });
    m_line.waitForQuiet();

    m_view->setStatusText(QStringLiteral("Sending Configuration..."));
    ReadPending = false;
    m_sent.reset();
    const std::optional<ModemConfig> config = given ? *given : checkedConfig();
    EnterATMode();
    DelaySeconds(kAfterEntry);
    if (config)
        SendConfigPacket(*config);
    DelaySeconds(kAfterPacket);
    CloseATMode();
    ReadPending = true;
    DelaySeconds(kAfterExit);
    m_view->setStatusText(QStringLiteral("Send Complete"));
    m_readBackConfirms = true;
    readBack();
}

std::optional<ModemConfig> ModemSession::checkedConfig()
{
    ModemConfig::Texts texts;
    for (size_t i = 0; i < texts.size(); ++i)
        texts[i] = m_view->fieldText(static_cast<int>(i));
    try {
        const ModemConfig::Reading reading = ModemConfig::read(texts);
        if (!reading.config)
            m_dialogs.messageBox(QStringLiteral("Incorrect value"), QStringLiteral("Error"));
        return reading.config;
    } catch (const Failure &failure) {
        showPacketFailure(failure);
        return std::nullopt;
    }
}

void ModemSession::SendConfigPacket(const ModemConfig &config)
{
    // A run given up after "+++" sends no configuration, not even in part.
    if (m_aborted)
        return;
    try {
        m_line.transmit(config.packet());
        m_sent = config;
    } catch (const Failure &failure) {
        showPacketFailure(failure);
    }
}

void ModemSession::showPacketFailure(const Failure &failure)
{
    if (failure.number() == FailureNumber::TypeMismatch)
        m_dialogs.messageBox(QStringLiteral("Invalid input (00-FF)"), QStringLiteral("Error!!"));
    else
        m_dialogs.messageBox(QStringLiteral("Error!! ") + failure.description(),
                             Application::title());
}

// --- Scan -------------------------------------------------------------------

std::optional<qint64> ModemSession::probe(ModemView &scratch)
{
    if (refused())
        return std::nullopt;
    const ExchangeScope exchange(*this);
    ModemView *const own = std::exchange(m_view, &scratch);
    const bool readPending = ReadPending;
    const bool noReply = NoReply;
    const qint64 before = m_receivedCount;
    const int losses = m_connection.losses();
    // The window sees nothing of the try, and no decode it did not ask for.
    const auto restore = qScopeGuard([this, own, readPending, noReply] {
        if (m_comm.portOpen())
            m_comm.setPortOpen(false);
        m_line.closed();
        m_timer1.stop();
        RxBuffer.resetCount();
        ReadPending = readPending;
        NoReply = noReply;
        m_view = own;
        m_connection.setView(*own);
    });
    bool ended = false;
    const QMetaObject::Connection connection =
        connect(this, &ModemSession::replyEnded, this, [&ended] { ended = true; });
    const auto disconnectAtEnd = qScopeGuard([&connection] { disconnect(connection); });
    m_connection.setView(scratch);
    m_connection.open();
    readBack();
    // A reply still arriving when the read-back returned ends at its quiet
    // time; one that never stops is cut off.
    if (m_receivedCount > before) {
        m_line.waitFor(kProbeReplyLimit, [&ended] { return ended; });
    }
    // A device pulled out during the try is no place to try the next rate.
    if (m_connection.losses() != losses)
        throw Failure(FailureNumber::DeviceLost, m_connection.lossDescription());
    // "---" stands apart from the next try's "+++" on the line.
    DelaySeconds(kProbeSettle);
    return m_receivedCount - before;
}

// --- Helpers ----------------------------------------------------------------

void ModemSession::showFields(const QString &text)
{
    for (int field = 0; field < ModemView::kFieldCount; ++field)
        m_view->setFieldText(field, text);
}
