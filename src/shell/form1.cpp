#include "form1.h"

#include "application.h"
#include "form1ui.h"
#include "platform/commcontrol.h"
#include "platform/dialogs.h"
#include "platform/failure.h"
#include "platform/focusinfilter.h"
#include "platform/keypressfilter.h"
#include "platform/settingsstore.h"
#include "terminal/terminalview.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

namespace {
const QString kSettings = QStringLiteral("Settings");
const QString kBuiltInAddresses[] = {QStringLiteral("7F7F7F7F"), QStringLiteral("7F7F7F7E")};
const char *const kBaudRates[] = {"2400",  "4800",  "9600",  "14400",  "19200",
                                  "28800", "38400", "56000", "128000", "256000"};
constexpr int kPortCount = 15;
} // namespace

Form1::Form1(const Platform &platform, QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Form1Ui>())
    , m_platform(platform)
    , m_context{*m_ui, m_state, platform.comm, platform.dialogs}
    , m_addressFile(QDir(platform.programFolder).filePath(QStringLiteral("Address.txt")))
    , m_timedWait(platform.clock, platform.pump)
    , m_commandMode(m_context)
    , m_readBack(m_context, m_commandMode, m_timedWait)
    , m_receiver(m_context, m_readBack)
    , m_portConnection(m_context, platform.portMap, m_readBack)
    , m_configWrite(m_context, m_commandMode, m_timedWait, m_readBack)
    , m_terminalPage(m_context)
    , m_addressList(m_context, m_addressFile, m_configWrite)
{
    m_ui->setupUi(this);
    wireWindow();
    wireSerial();
    wireModemPage();
    wireTerminalPage();
    Form_Load();
}

Form1::~Form1() = default;

void Form1::guard(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &failure) {
        m_ui->setBusyPointer(false);
        m_platform.dialogs.messageBox(QStringLiteral("Error: ") + describeFailure(failure),
                                      QStringLiteral("Error"));
    }
}

void Form1::unlessExchangeRunning(const std::function<void()> &handler,
                                  const std::function<void()> &refused)
{
    if (!m_state.exchangeRunning()) {
        guard(handler);
        return;
    }
    if (refused)
        refused();
}

void Form1::wireWindow()
{
    connect(m_ui->TabStrip1, &QTabWidget::currentChanged, this,
            [this] { guard([this] { TabStrip1_Click(); }); });
    connect(m_ui->Command7, &QPushButton::clicked, this,
            [this] { unlessExchangeRunning([this] { m_portConnection.Command7_Click(); }); });
}

void Form1::wireSerial()
{
    Form1Ui &ui = *m_ui;
    connect(&m_platform.comm, &CommControl::OnComm, this,
            [this] { guard([this] { m_receiver.MSComm1_OnComm(); }); });
    connect(&m_platform.comm, &CommControl::portLost, this, [this](const QString &description) {
        guard([this, &description] { m_portConnection.portLost(description); });
    });
    connect(&m_receiver.Timer1(), &QuietTimer::timeout, this,
            [this] { guard([this] { m_receiver.Timer1_Timer(); }); });

    connect(ui.Combo1, &QComboBox::activated, this, [this] {
        unlessExchangeRunning([this] { m_portConnection.Combo1_Click(); },
                              [this] { m_ui->Combo1->setEditText(m_state.PortSetting); });
    });
    connect(ui.Combo1, &QComboBox::editTextChanged, this, [this](const QString &text) {
        guard([this, &text] { m_portConnection.showDevice(text); });
    });
    new KeyPressFilter(ui.Combo1->lineEdit(), &PortConnection::Combo1_KeyPress);
    new KeyPressFilter(ui.Combo2->lineEdit(), &PortConnection::Combo2_KeyPress);
}

void Form1::wireModemPage()
{
    Form1Ui &ui = *m_ui;
    connect(ui.Command2, &QPushButton::clicked, this,
            [this] { unlessExchangeRunning([this] { m_configWrite.Command2_Click(); }); });
    connect(ui.Command3, &QPushButton::clicked, this,
            [this] { unlessExchangeRunning([this] { m_readBack.Command3_Click(); }); });
    for (QLineEdit *field :
         {ui.Text1, ui.Text2, ui.Text3, ui.Text4, ui.Text5, ui.Text6, ui.Text7, ui.Text8})
        new FocusInFilter(field, [field] { ReadBack::addressField_GotFocus(*field); });
}

void Form1::wireTerminalPage()
{
    Form1Ui &ui = *m_ui;
    connect(ui.Command1, &QPushButton::clicked, this,
            [this] { unlessExchangeRunning([this] { m_commandMode.Command1_Click(); }); });
    connect(ui.Command4, &QPushButton::clicked, this,
            [this] { unlessExchangeRunning([this] { m_commandMode.Command4_Click(); }); });
    connect(ui.Command5, &QPushButton::clicked, this,
            [this] { guard([this] { m_terminalPage.Command5_Click(); }); });
    connect(ui.Command6, &QPushButton::clicked, this,
            [this] { guard([this] { m_addressList.Command6_Click(); }); });
    connect(ui.Combo4, &QComboBox::activated, this, [this] {
        unlessExchangeRunning(
            [this] {
                m_addressShown = m_ui->Combo4->currentText();
                m_addressList.Combo4_Click();
            },
            [this] { m_ui->Combo4->setEditText(m_addressShown); });
    });
    new KeyPressFilter(ui.Combo4->lineEdit(), &AddressList::Combo4_KeyPress);
    new KeyPressFilter(ui.Text14, [this](int &keyAscii) {
        guard([this, &keyAscii] { m_terminalPage.Text14_KeyPress(keyAscii); });
    });
    new FocusInFilter(ui.Text13, [this] { guard([this] { m_terminalPage.Text13_GotFocus(); }); });
}

void Form1::Form_Load()
{
    Form1Ui &ui = *m_ui;
    m_state.TermEcho = true;
    m_state.ReadPending = true;
    m_state.RxBuffer.resetCount();

    for (QLineEdit *address :
         {ui.Text1, ui.Text2, ui.Text3, ui.Text4, ui.Text5, ui.Text6, ui.Text7, ui.Text8})
        address->setText(QStringLiteral("7F"));
    ui.Text9->setText(QStringLiteral("107"));
    ui.BRText->setText(QStringLiteral("0"));
    ui.Text10->setText(QStringLiteral("0"));
    ui.Text11->setText(QStringLiteral("30"));
    ui.Text12->setText(QStringLiteral("30"));

    ui.Combo1->clear();
    for (int port = 1; port <= kPortCount; ++port)
        ui.Combo1->addItem(QString::number(port));
    ui.Combo2->clear();
    for (const char *rate : kBaudRates)
        ui.Combo2->addItem(QLatin1String(rate));

    TabStrip1_Click();
    setWindowTitle(Application::caption());
    loadAddressList();

    SettingsStore &settings = m_platform.settings;
    m_state.PortSetting = settings.read(kSettings, QStringLiteral("Port"), QStringLiteral("1"));
    ui.Combo1->setEditText(m_state.PortSetting);
    m_state.BaudSetting = settings.read(kSettings, QStringLiteral("BAUD"), QStringLiteral("38400"));
    ui.Combo2->setEditText(m_state.BaudSetting);
    m_state.AddressSetting =
        settings.read(kSettings, QStringLiteral("ADDRESS"), QStringLiteral("7F7F7F7F"));
    ui.Combo4->setEditText(m_state.AddressSetting);
    m_addressShown = m_state.AddressSetting;

    ui.Text13->clearReceived();
    ui.Text14->setPlainText(QString());
    ui.setStatusText(QStringLiteral("Disconnected"));
    ui.Command7->setFocus();
}

void Form1::loadAddressList()
{
    // A folder where the file cannot be created or read still gives a usable
    // list: the built-in addresses. "Add" reports the problem when used.
    m_addressFile.ensureExists();
    m_ui->Command6->setToolTip(QStringLiteral("Adds an address to ") +
                               QDir::toNativeSeparators(m_addressFile.path()));
    QStringList items = m_addressFile.readLines().value_or(QStringList());
    for (const QString &address : kBuiltInAddresses)
        items.append(address);
    m_ui->Combo4->addItems(items);
}

void Form1::Form_Unload(bool &cancel)
{
    Q_UNUSED(cancel);
    SettingsStore &settings = m_platform.settings;
    const QString port = m_ui->Combo1->currentText();
    if (!port.trimmed().isEmpty())
        settings.write(kSettings, QStringLiteral("Port"), port);
    const QString baud = m_ui->Combo2->currentText();
    if (!baud.trimmed().isEmpty())
        settings.write(kSettings, QStringLiteral("BAUD"), baud);
    const QString failure = settings.flush();
    if (!failure.isEmpty())
        m_platform.dialogs.messageBox(QStringLiteral("Error: ") + failure, QStringLiteral("Error"));
}

void Form1::closeEvent(QCloseEvent *event)
{
    bool cancel = false;
    guard([this, &cancel] { Form_Unload(cancel); });
    if (cancel)
        event->ignore();
    else
        event->accept();
}

void Form1::TabStrip1_Click()
{
    Form1Ui &ui = *m_ui;
    ui.TermPic->hide();
    ui.CommsPic->hide();
    ui.ModemPic->hide();
    if (ui.TabStrip1->currentIndex() + 1 == 2) {
        ui.Frame2->setTitle(QStringLiteral("Comms Setup"));
        ui.CommsPic->show();
    }
    if (ui.TabStrip1->currentIndex() + 1 == 1) {
        ui.Frame2->setTitle(QStringLiteral("Modem Settings"));
        ui.ModemPic->show();
    }
    if (ui.TabStrip1->currentIndex() + 1 == 3) {
        ui.Frame2->setTitle(QStringLiteral("Terminal"));
        ui.TermPic->show();
    }
}
