// SPDX-License-Identifier: GPL-3.0-or-later
#include "modemsession.h"

#include "modemconfig.h"

#include "address/addressentry.h"
#include "failurestatus.h"
#include "numberreader.h"
#include "replydecoder.h"
#include "serial/commcontrol.h"
#include "system/application.h"
#include "system/clock.h"
#include "system/dialogs.h"
#include "system/eventpump.h"
#include "system/failure.h"
#include "system/timer.h"

#include <QScopeGuard>
#include <QScopedValueRollback>

using Button = ModemView::Button;

namespace {
constexpr int kLargestByte = 0xFF;
const QString kEntry = QStringLiteral("+++");
const QString kExit = QStringLiteral("---");

int portNumber(const QString &portText)
{
    try {
        return NumberReader::toInteger(portText);
    } catch (const Failure &failure) {
        throw Failure(failure.number(),
                      QStringLiteral("%1: \"%2\" is not a comm port number. Choose one in the Comm "
                                     "Port list.")
                          .arg(failure.description(), portText));
    }
}
} // namespace

class ModemSession::ExchangeScope
{
public:
    explicit ExchangeScope(ModemSession &session)
        : m_session(session)
    {
        if (m_session.m_exchangeDepth++ == 0)
            m_session.m_lossesAtExchangeStart = m_session.m_losses;
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
    , m_clock(platform.clock)
    , m_pump(platform.pump)
    , m_timer1(platform.timer)
    , m_view(&view)
{
    connect(&m_comm, &CommControl::OnComm, this, [this] { guard([this] { MSComm1_OnComm(); }); });
    connect(&m_comm, &CommControl::portLost, this, [this](const QString &description, int number) {
        guard([this, &description, number] { portLost(description, number); });
    });
    m_timer1.setTimeoutHandler([this] { guard([this] { Timer1_Timer(); }); });
    m_typingTimer.setSingleShot(true);
    connect(&m_typingTimer, &QTimer::timeout, this, [this] {
        guard([this] {
            sendTypingIfFree();
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
    try {
        if (m_commandMode && m_comm.portOpen()) {
            waitForQuietLine();
            if (m_comm.portOpen())
                send(kExit);
        }
    } catch (const std::exception &) {
        // The device went away: no modem is left to take out of command mode.
    }
    m_commandMode = false;
    m_typed.clear();
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
    if (m_comm.portOpen()) {
        CloseComms();
        return true;
    }
    return readConfiguration();
}

bool ModemSession::readConfiguration()
{
    if (refused())
        return false;
    if (m_comm.portOpen())
        readBack();
    else
        connectAndRead();
    return true;
}

bool ModemSession::Combo1_Click(const QString &port)
{
    if (refused())
        return false;
    CloseComms();
    PortSetting = port;
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

bool ModemSession::write(const ModemConfig &config)
{
    if (refused())
        return false;
    writeConfiguration(&config);
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
    m_typed += QChar(static_cast<char16_t>(keyAscii));
    sendTypingIfFree();
    scheduleTyping();
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
    m_received += chunk.size();
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

void ModemSession::portLost(const QString &description, int number)
{
    m_commandMode = false;
    m_typed.clear();
    m_view->setConnectCaption(QStringLiteral("Connect"));
    setButtonsEnabled({Button::Command2, Button::Command3}, false);
    m_lossStatus = {FailureStatus::lost(number),
                    QStringLiteral("Error!! %1 %2 and press Connect.")
                        .arg(description, FailureStatus::lossRemedy(number))};
    m_lossDescription = description;
    ++m_losses;
    showLoss();
}

void ModemSession::showLoss()
{
    m_view->setShortStatus(m_lossStatus.first, m_lossStatus.second);
}

// --- Port connection --------------------------------------------------------

void ModemSession::connectAndRead()
{
    const bool opened = OpenComms();
    readBack();
    // The read-back finds the port closed and would blame the modem or the
    // baud rate; the failed open is what the user has to mend.
    if (!opened)
        showOpenFailure();
}

bool ModemSession::OpenComms()
{
    try {
        openPort();
        return true;
    } catch (const std::exception &failure) {
        const auto *own = dynamic_cast<const Failure *>(&failure);
        openFailed(own ? own->number() : 0, describeFailure(failure));
        return false;
    }
}

void ModemSession::openPort()
{
    m_view->setBusyPointer(true);
    m_view->setStatusText(QStringLiteral("Connecting..."));
    m_openFailure = {};
    const QString rate = m_view->baudRateText().trimmed();
    m_comm.setSettings(rate + QStringLiteral(",n,8,1"));
    setButtonsEnabled({Button::Command1, Button::Command2, Button::Command3, Button::Command4,
                       Button::Command5, Button::Command6},
                      false);
    m_comm.setCommPort(portNumber(PortSetting));
    if (m_comm.portOpen())
        m_comm.setPortOpen(false);
    m_comm.setPortOpen(true);
    m_commandMode = false;
    m_lineRate = rate.toInt() > 0 ? rate.toInt() : kFallbackLineRate;
    // Whoever had the line before may have sent just now.
    m_lineFreeAt = m_clock.seconds();
    m_view->setConnectCaption(QStringLiteral("Disconnect"));
    setButtonsEnabled(
        {Button::Command1, Button::Command3, Button::Command4, Button::Command5, Button::Command6},
        true);
    m_view->setStatusText(QStringLiteral("Connected to COMM ") + PortSetting);
    m_view->setBusyPointer(false);
}

void ModemSession::openFailed(int number, const QString &description)
{
    m_view->setBusyPointer(false);
    if (number == FailureNumber::InvalidPortNumber) {
        m_view->showTerminalPage();
        m_dialogs.messageBox(QStringLiteral("Please select a valid comms port"),
                             Application::title());
        m_openFailure = {QStringLiteral("Invalid port"), QStringLiteral("Invalid port")};
    } else {
        m_dialogs.messageBox(QStringLiteral("Error: ") + description, QStringLiteral("Error"));
        m_openFailure = {FailureStatus::openFailed(number, description),
                         QStringLiteral("Error!! ") + description};
    }
    showOpenFailure();
}

void ModemSession::showOpenFailure()
{
    m_view->setShortStatus(m_openFailure.first, m_openFailure.second);
}

void ModemSession::CloseComms()
{
    if (m_comm.portOpen()) {
        m_comm.setPortOpen(false);
        m_view->setConnectCaption(QStringLiteral("Connect"));
    }
    m_commandMode = false;
    m_typed.clear();
    setButtonsEnabled({Button::Command2, Button::Command3}, false);
    m_view->setStatusText(QStringLiteral("Disconnected"));
}

// --- Command mode -----------------------------------------------------------

void ModemSession::EnterATMode()
{
    sendSequence(kEntry);
}

void ModemSession::CloseATMode()
{
    sendSequence(kExit);
}

void ModemSession::sendSequence(const QString &sequence)
{
    if (!m_comm.portOpen() || m_aborted)
        return;
    // From now on typing waits for the sequence.
    const QScopedValueRollback<bool> due(m_sequenceDue, true);
    waitForQuietLine();
    // The wait let events run: the port may be gone, the run given up.
    if (!m_comm.portOpen() || m_aborted)
        return;
    send(sequence);
    m_typingHeldUntil = m_lineFreeAt + std::chrono::duration<double>(kQuietTime).count();
    scheduleTyping();
}

void ModemSession::send(const QString &bytes)
{
    const double now = m_clock.seconds();
    m_comm.setOutput(bytes);
    if (bytes == kEntry)
        m_commandMode = true;
    else if (bytes == kExit)
        m_commandMode = false;
    // The driver sends what it was handed one character after another; the
    // line is quiet once the last has left.
    m_lineFreeAt = std::max(now, m_lineFreeAt) +
                   static_cast<double>(bytes.size()) * kBitsPerCharacter / m_lineRate;
}

void ModemSession::waitForQuietLine()
{
    const double quiet = std::chrono::duration<double>(kQuietTime).count();
    // What was typed before goes first, where it may.
    sendTypingIfFree();
    // Typing sent during the wait moves the end on; a port that closes ends it.
    for (double now = m_clock.seconds(); m_comm.portOpen() && !(now > m_lineFreeAt + quiet);
         now = m_clock.seconds())
        pump(std::chrono::duration<double>(m_lineFreeAt + quiet - now));
}

void ModemSession::sendTypingIfFree()
{
    if (m_typed.isEmpty() || m_sequenceDue || !(m_clock.seconds() > m_typingHeldUntil))
        return;
    // One write a key, as when typed.
    const QString typed = std::exchange(m_typed, QString());
    for (const QChar character : typed) {
        if (m_comm.portOpen() && !m_aborted)
            send(QString(character));
    }
}

void ModemSession::scheduleTyping()
{
    // A sequence that is due schedules what waits once it has gone.
    if (m_typed.isEmpty() || m_sequenceDue)
        return;
    const std::chrono::duration<double> held(m_typingHeldUntil - m_clock.seconds());
    m_typingTimer.start(
        std::max(std::chrono::ceil<std::chrono::milliseconds>(held), std::chrono::milliseconds(1)));
}

void ModemSession::pump(std::chrono::duration<double> remaining)
{
    m_pump.processEvents(std::chrono::ceil<std::chrono::milliseconds>(remaining));
    sendTypingIfFree();
}

void ModemSession::DelaySeconds(std::chrono::duration<double> interval)
{
    // Lets events run and sleeps between them; ends only once the clock reads
    // strictly more than the start plus the interval.
    const double end = m_clock.seconds() + interval.count();
    for (double now = m_clock.seconds(); !(now > end) && !m_aborted; now = m_clock.seconds())
        pump(std::chrono::duration<double>(end - now));
}

void ModemSession::sendFromButton(const QString &progress, void (ModemSession::*sequence)())
{
    // The sequence may wait for a quiet line; nothing else starts meanwhile.
    const ExchangeScope exchange(*this);
    m_view->setBusyPointer(true);
    const QString saved = m_view->statusText();
    const QString savedWhole = m_view->wholeStatus();
    const int losses = m_losses;
    m_view->setStatusText(progress);
    // The status and the pointer come back also when the write fails; a
    // device lost meanwhile keeps its own status.
    const auto restore = qScopeGuard([this, &saved, &savedWhole, losses] {
        if (m_losses == losses)
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
    waitForQuietLine();
    // Only the read-back right after a Set confirms it.
    m_confirmPending = std::exchange(m_readBackConfirms, false) && m_sent.has_value();

    showFields(ModemConfig::kUnread);
    m_view->setBytesReceived(QStringLiteral("0"));
    m_view->setStatusText(QStringLiteral("Requesting Configuration..."));
    NoReply = true;
    ReadPending = true;
    m_receivedAtRequest = m_received;

    EnterATMode();
    DelaySeconds(kReplyWindow);
    CloseATMode();

    // A device lost during the exchange is why nothing came back: say that,
    // not that the port or the baud rate may be wrong.
    if (m_losses != m_lossesAtExchangeStart) {
        // Nothing can confirm a Set whose read-back lost the modem.
        m_confirmPending = false;
        showLoss();
    } else
        m_view->setStatusText(NoReply ? noResponseText() : QStringLiteral("Request Complete"));
}

void ModemSession::decodingPass()
{
    m_replyLength = m_received - m_receivedAtRequest;
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

// --- Write ------------------------------------------------------------------

void ModemSession::writeConfiguration(const ModemConfig *given)
{
    const ExchangeScope exchange(*this);
    m_view->setBusyPointer(true);
    const auto restorePointer = qScopeGuard([this] { m_view->setBusyPointer(false); });
    waitForQuietLine();

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
        send(config.packet());
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
    const qint64 before = m_received;
    const int losses = m_losses;
    // The window sees nothing of the try, and no decode it did not ask for.
    const auto restore = qScopeGuard([this, own, readPending, noReply] {
        if (m_comm.portOpen())
            m_comm.setPortOpen(false);
        m_typed.clear();
        m_timer1.stop();
        RxBuffer.resetCount();
        ReadPending = readPending;
        NoReply = noReply;
        m_view = own;
    });
    bool ended = false;
    const QMetaObject::Connection connection =
        connect(this, &ModemSession::replyEnded, this, [&ended] { ended = true; });
    const auto disconnectAtEnd = qScopeGuard([&connection] { disconnect(connection); });
    openPort();
    readBack();
    if (m_received > before)
        waitForReplyEnd(ended);
    // A device pulled out during the try is no place to try the next rate.
    if (m_losses != losses)
        throw Failure(FailureNumber::DeviceLost, m_lossDescription);
    // "---" stands apart from the next try's "+++" on the line.
    DelaySeconds(kProbeSettle);
    return m_received - before;
}

void ModemSession::waitForReplyEnd(const bool &ended)
{
    // A reply still arriving when the read-back returned ends at its quiet
    // time; one that never stops is cut off.
    const double end = m_clock.seconds() + std::chrono::duration<double>(kProbeReplyLimit).count();
    while (!ended && m_clock.seconds() < end)
        m_pump.processEvents(kQuietTime);
}

// --- Helpers ----------------------------------------------------------------

void ModemSession::showFields(const QString &text)
{
    for (int field = 0; field < ModemView::kFieldCount; ++field)
        m_view->setFieldText(field, text);
}

void ModemSession::setButtonsEnabled(std::initializer_list<Button> buttons, bool enabled)
{
    for (const Button button : buttons)
        m_view->setButtonEnabled(button, enabled);
}
