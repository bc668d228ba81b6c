#include "modemsession.h"

#include "configpacket.h"
#include "failurestatus.h"
#include "numberreader.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/commcontrol.h"
#include "platform/dialogs.h"
#include "platform/eventpump.h"
#include "platform/failure.h"
#include "platform/timer.h"
#include "replydecoder.h"
#include "setconfirmation.h"
#include "terminal/addressentry.h"

#include <QScopeGuard>

using Button = ModemView::Button;

namespace {
constexpr int kLargestByte = 0xFF;

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
    connect(&m_comm, &CommControl::portLost, this, [this](const QString &description) {
        guard([this, &description] { portLost(description); });
    });
    m_timer1.setTimeoutHandler([this] { guard([this] { Timer1_Timer(); }); });
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

// --- Requests ---------------------------------------------------------------

bool ModemSession::Command7_Click()
{
    if (exchangeRunning())
        return false;
    if (m_comm.portOpen()) {
        CloseComms();
        return true;
    }
    connectAndRead();
    return true;
}

bool ModemSession::Combo1_Click(const QString &port)
{
    if (exchangeRunning())
        return false;
    CloseComms();
    PortSetting = port;
    connectAndRead();
    return true;
}

bool ModemSession::Command3_Click()
{
    if (exchangeRunning())
        return false;
    readBack();
    return true;
}

bool ModemSession::Command2_Click()
{
    if (exchangeRunning())
        return false;
    writeConfiguration();
    return true;
}

bool ModemSession::Command1_Click()
{
    if (exchangeRunning())
        return false;
    sendFromButton(QStringLiteral("Entering AT Mode..."), &ModemSession::EnterATMode);
    return true;
}

bool ModemSession::Command4_Click()
{
    if (exchangeRunning())
        return false;
    sendFromButton(QStringLiteral("Exiting AT Mode..."), &ModemSession::CloseATMode);
    return true;
}

bool ModemSession::Combo4_Click(const QString &address)
{
    if (exchangeRunning())
        return false;
    const auto pieces = AddressEntry::pieces(address);
    for (size_t i = 0; i < pieces.size(); ++i)
        m_view->setFieldText(static_cast<int>(i), pieces[i]);
    TermEcho = false;
    // Echo comes back on also when the write fails.
    const auto echoOn = qScopeGuard([this] { TermEcho = true; });
    writeConfiguration();
    return true;
}

void ModemSession::Text14_KeyPress(int keyAscii)
{
    // A character beyond one byte is shown in the box but cannot be sent.
    if (m_comm.portOpen() && keyAscii > 0 && keyAscii <= kLargestByte)
        m_comm.setOutput(QString(QChar(static_cast<char16_t>(keyAscii))));
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

void ModemSession::portLost(const QString &description)
{
    m_view->setConnectCaption(QStringLiteral("Connect"));
    setButtonsEnabled({Button::Command2, Button::Command3}, false);
    m_lossStatus = {FailureStatus::lost(), QStringLiteral("Error!! ") + description};
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
    OpenComms();
    readBack();
}

void ModemSession::OpenComms()
{
    try {
        openPort();
    } catch (const std::exception &failure) {
        const auto *own = dynamic_cast<const Failure *>(&failure);
        openFailed(own ? own->number() : 0, describeFailure(failure));
    }
}

void ModemSession::openPort()
{
    m_view->setBusyPointer(true);
    m_view->setStatusText(QStringLiteral("Connecting..."));
    m_comm.setSettings(m_view->baudRateText().trimmed() + QStringLiteral(",n,8,1"));
    setButtonsEnabled({Button::Command1, Button::Command2, Button::Command3, Button::Command4,
                       Button::Command5, Button::Command6},
                      false);
    m_comm.setCommPort(portNumber(PortSetting));
    if (m_comm.portOpen())
        m_comm.setPortOpen(false);
    m_comm.setPortOpen(true);
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
        m_view->setStatusText(QStringLiteral("Invalid port"));
        return;
    }
    m_dialogs.messageBox(QStringLiteral("Error: ") + description, QStringLiteral("Error"));
    m_view->setShortStatus(FailureStatus::openFailed(number, description),
                           QStringLiteral("Error!! ") + description);
}

void ModemSession::CloseComms()
{
    if (m_comm.portOpen()) {
        m_comm.setPortOpen(false);
        m_view->setConnectCaption(QStringLiteral("Connect"));
    }
    setButtonsEnabled({Button::Command2, Button::Command3}, false);
    m_view->setStatusText(QStringLiteral("Disconnected"));
}

// --- Command mode -----------------------------------------------------------

void ModemSession::EnterATMode()
{
    if (m_comm.portOpen())
        m_comm.setOutput(QStringLiteral("+++"));
}

void ModemSession::CloseATMode()
{
    if (m_comm.portOpen())
        m_comm.setOutput(QStringLiteral("---"));
}

void ModemSession::DelaySeconds(std::chrono::duration<double> interval)
{
    // Lets events run and sleeps between them; ends only once the clock reads
    // strictly more than the start plus the interval.
    const double end = m_clock.seconds() + interval.count();
    for (double now = m_clock.seconds(); !(now > end); now = m_clock.seconds()) {
        const std::chrono::duration<double> remaining(end - now);
        m_pump.processEvents(std::chrono::ceil<std::chrono::milliseconds>(remaining));
    }
}

void ModemSession::sendFromButton(const QString &progress, void (ModemSession::*send)())
{
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
    (this->*send)();
}

// --- Read-back --------------------------------------------------------------

void ModemSession::readBack()
{
    const ExchangeScope exchange(*this);
    // Only the read-back right after a Set confirms it.
    m_confirmPending = std::exchange(m_readBackConfirms, false) && !m_sentPacket.isEmpty();
    m_view->setBusyPointer(true);
    const auto restorePointer = qScopeGuard([this] { m_view->setBusyPointer(false); });

    showFields(QStringLiteral("??"));
    m_view->setBytesReceived(QStringLiteral("0"));
    // A request within the first quiet time after start: the start-up pass
    // over the empty buffer would show only what this request shows already,
    // and would take the decode that the reply is owed.
    if (std::exchange(m_startupPass, false))
        m_timer1.stop();
    m_view->setStatusText(QStringLiteral("Requesting Configuration..."));
    NoReply = true;
    ReadPending = true;

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
    const auto texts = ReplyDecoder::decode(RxBuffer);
    for (size_t i = 0; i < texts.size(); ++i)
        m_view->setFieldText(static_cast<int>(i), texts[i]);
    if (m_comm.portOpen())
        m_view->setButtonEnabled(Button::Command2, true);
    ReadPending = false;
    if (std::exchange(m_confirmPending, false))
        confirmSet(texts);
}

void ModemSession::confirmSet(const std::array<QString, ModemView::kFieldCount> &decoded)
{
    const auto differences = SetConfirmation::differences(m_sentPacket, decoded);
    if (differences.isEmpty())
        return;
    m_view->markNotTaken(differences);
    m_view->setStatusText(m_view->statusText() + SetConfirmation::statusSuffix(differences.size()));
}

// --- Write ------------------------------------------------------------------

void ModemSession::writeConfiguration()
{
    const ExchangeScope exchange(*this);
    m_view->setBusyPointer(true);
    const auto restorePointer = qScopeGuard([this] { m_view->setBusyPointer(false); });

    m_view->setStatusText(QStringLiteral("Sending Configuration..."));
    ReadPending = false;
    m_sentPacket.clear();
    EnterATMode();
    DelaySeconds(kAfterEntry);
    SendConfigPacket();
    DelaySeconds(kAfterPacket);
    CloseATMode();
    ReadPending = true;
    DelaySeconds(kAfterExit);
    m_view->setStatusText(QStringLiteral("Send Complete"));
    m_readBackConfirms = true;
    readBack();
}

void ModemSession::SendConfigPacket()
{
    ConfigPacket::FieldTexts texts;
    for (size_t i = 0; i < texts.size(); ++i)
        texts[i] = m_view->fieldText(static_cast<int>(i));
    try {
        const ConfigPacket::Result result = ConfigPacket::build(texts);
        if (result.status == ConfigPacket::Status::IncorrectValue) {
            m_dialogs.messageBox(QStringLiteral("Incorrect value"), QStringLiteral("Error"));
            return;
        }
        m_comm.setOutput(result.packet);
        m_sentPacket = result.packet;
    } catch (const Failure &failure) {
        if (failure.number() == FailureNumber::TypeMismatch)
            m_dialogs.messageBox(QStringLiteral("Invalid input (00-FF)"),
                                 QStringLiteral("Error!!"));
        else
            m_dialogs.messageBox(QStringLiteral("Error!! ") + failure.description(),
                                 Application::title());
    }
}

// --- Scan -------------------------------------------------------------------

std::optional<qint64> ModemSession::probe(ModemView &scratch)
{
    if (exchangeRunning())
        return std::nullopt;
    const ExchangeScope exchange(*this);
    ModemView *const own = std::exchange(m_view, &scratch);
    const bool readPending = ReadPending;
    const bool noReply = NoReply;
    const qint64 before = m_received;
    // The window sees nothing of the try, and no decode it did not ask for.
    const auto restore = qScopeGuard([this, own, readPending, noReply] {
        if (m_comm.portOpen())
            m_comm.setPortOpen(false);
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
