// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "form1ui.h"
#include "serial/portmap.h"
#include "settings/settingsstore.h"
#include "system/application.h"
#include "system/dialogs.h"
#include "terminal/terminalview.h"
#include "widgets/focusinfilter.h"
#include "widgets/keypressfilter.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <utility>

namespace {
const QString kSettings = QStringLiteral("Settings");
const QString kBuiltInAddresses[] = {QStringLiteral("7F7F7F7F"), QStringLiteral("7F7F7F7E")};

void discardKey(int &keyAscii)
{
    keyAscii = 0;
}

// Text1 to Text8 on focus: select all, take at most two characters.
void addressField_GotFocus(QLineEdit &field)
{
    field.setMaxLength(2);
    field.selectAll();
    // A click places the caret after the focus arrives; select again once it
    // has, so typing still replaces the whole byte.
    QTimer::singleShot(0, &field, [&field] { field.selectAll(); });
}

// The main window reads as a window (a frame) to a screen reader, named by
// its title, not as a plain panel.
QAccessibleInterface *windowAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String(Form1::staticMetaObject.className()) && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}
} // namespace

Form1::Form1(const Platform &platform, QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Form1Ui>())
    , m_platform(platform)
    , m_session({platform.comm, platform.dialogs, platform.clock, platform.pump, platform.timer},
                *this)
    , m_addressFile(QDir(platform.programFolder).filePath(QStringLiteral("Address.txt")))
    , m_addressList(platform.dialogs, m_addressFile)
{
    QAccessible::installFactory(&windowAccessible);
    m_ui->setupUi(this);
    m_fieldMarks = std::make_unique<FieldMarks>(m_ui->configFields());
    m_configFiles = std::make_unique<ConfigFiles>(
        ConfigFiles::Platform{*this, *m_fieldMarks, platform.dialogs, this});
    m_commsPage = std::make_unique<CommsPage>(
        *m_ui,
        CommsPage::Platform{m_session, platform.portMap, platform.settings, platform.dialogs});
    wireWindow();
    wireModemPage();
    wireTerminalPage();
    Form_Load();
}

Form1::~Form1() = default;

// --- Wiring -----------------------------------------------------------------

void Form1::wireWindow()
{
    Form1Ui &ui = *m_ui;
    connect(ui.TabStrip1, &QTabWidget::currentChanged, this,
            [this] { m_session.guard([this] { TabStrip1_Click(); }); });
    connect(ui.Command7, &QPushButton::clicked, this,
            [this] { m_session.guard([this] { m_session.Command7_Click(); }); });
    connect(ui.Combo1, &NamedComboBox::itemChosen, this,
            [this] { m_session.guard([this] { Combo1_Click(); }); });
    connect(ui.Combo1, &QComboBox::editTextChanged, this,
            [this](const QString &text) { m_session.guard([this, &text] { showDevice(text); }); });
    new KeyPressFilter(ui.Combo1->lineEdit(), &discardKey);
    new KeyPressFilter(ui.Combo2->lineEdit(), &discardKey);
}

void Form1::wireModemPage()
{
    Form1Ui &ui = *m_ui;
    connect(ui.Command2, &QPushButton::clicked, this,
            [this] { m_session.guard([this] { m_session.Command2_Click(); }); });
    connect(ui.Command3, &QPushButton::clicked, this,
            [this] { m_session.guard([this] { m_session.Command3_Click(); }); });
    for (QLineEdit *field :
         {ui.Text1, ui.Text2, ui.Text3, ui.Text4, ui.Text5, ui.Text6, ui.Text7, ui.Text8})
        new FocusInFilter(field, [field](Qt::FocusReason) { addressField_GotFocus(*field); });
    wireFileButtons();
}

void Form1::wireFileButtons()
{
    // Like Set and Refresh, refused while an exchange runs: its read-back
    // is about to fill the fields.
    const auto unlessRefused = [this](void (ConfigFiles::*action)()) {
        return [this, action] {
            m_session.guard([this, action] {
                if (!m_session.refused())
                    (m_configFiles.get()->*action)();
            });
        };
    };
    connect(m_ui->SaveConfig, &QPushButton::clicked, this, unlessRefused(&ConfigFiles::save));
    connect(m_ui->OpenConfig, &QPushButton::clicked, this, unlessRefused(&ConfigFiles::open));
    connect(m_ui->CompareConfig, &QPushButton::clicked, this, unlessRefused(&ConfigFiles::compare));
}

void Form1::wireTerminalPage()
{
    Form1Ui &ui = *m_ui;
    const auto thenFocusTyping = [this](bool accepted) {
        if (accepted)
            m_ui->Text14->setFocus();
    };
    connect(ui.Command1, &QPushButton::clicked, this, [this, thenFocusTyping] {
        m_session.guard([this, thenFocusTyping] { thenFocusTyping(m_session.Command1_Click()); });
    });
    connect(ui.Command4, &QPushButton::clicked, this, [this, thenFocusTyping] {
        m_session.guard([this, thenFocusTyping] { thenFocusTyping(m_session.Command4_Click()); });
    });
    connect(ui.Command5, &QPushButton::clicked, this,
            [this] { m_session.guard([this] { Command5_Click(); }); });
    connect(ui.Command6, &QPushButton::clicked, this,
            [this] { m_session.guard([this] { m_addressList.Command6_Click(*m_ui->Combo4); }); });
    connect(ui.Combo4, &NamedComboBox::itemChosen, this,
            [this] { m_session.guard([this] { Combo4_Click(); }); });
    new KeyPressFilter(ui.Combo4->lineEdit(), &discardKey);
    new KeyPressFilter(ui.Text14, [this](int &keyAscii) {
        m_session.guard([this, keyAscii] { m_session.Text14_KeyPress(keyAscii); });
    });
    new FocusInFilter(ui.Text13, [this](Qt::FocusReason reason) {
        m_session.guard([this, reason] { Text13_GotFocus(reason); });
    });
    ui.Text13->pairWithTypingBox(ui.Text14);
    ui.Text13->setDialogs(&m_platform.dialogs);
}

// --- Load, unload, tabs -----------------------------------------------------

void Form1::Form_Load()
{
    Form1Ui &ui = *m_ui;
    for (QLineEdit *address :
         {ui.Text1, ui.Text2, ui.Text3, ui.Text4, ui.Text5, ui.Text6, ui.Text7, ui.Text8})
        address->setText(QStringLiteral("7F"));
    ui.Text9->setText(QStringLiteral("107"));
    ui.BRText->setText(QStringLiteral("0"));
    ui.Text10->setText(QStringLiteral("0"));
    ui.Text11->setText(QStringLiteral("30"));
    ui.Text12->setText(QStringLiteral("30"));

    ui.Combo1->clear();
    for (int port = PortMap::kFirstPort; port <= PortMap::kListedPorts; ++port)
        ui.Combo1->addItem(QString::number(port));
    ui.Combo2->clear();
    ui.Combo2->addItems(ModemSession::baudRates());

    TabStrip1_Click();
    setWindowTitle(Application::caption());
    loadAddressList();

    const SettingsStore &settings = m_platform.settings;
    const QString port = settings.read(kSettings, QStringLiteral("Port"), QString());
    // A value no comm port can have counts as none at all.
    m_session.setPortSetting(PortMap::isPortNumber(port) ? port : QStringLiteral("1"));
    ui.Combo1->setEditText(m_session.portSetting());
    ui.Combo2->setEditText(
        settings.read(kSettings, QStringLiteral("BAUD"), QStringLiteral("38400")));
    m_addressShown =
        settings.read(kSettings, QStringLiteral("ADDRESS"), QStringLiteral("7F7F7F7F"));
    ui.Combo4->setEditText(m_addressShown);

    ui.Text13->setCapacity(TerminalView::capacityFromSetting(
        settings.read(QStringLiteral("Terminal"), QStringLiteral("Capacity"), QString())));
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
    AddressLines::Entries entries = m_addressFile.readEntries().value_or(AddressLines::Entries());
    for (const QString &address : kBuiltInAddresses)
        entries.lines.append(address);
    m_ui->Combo4->addItems(entries.lines);
    if (!entries.skipped.isEmpty()) {
        // Once the window is up, not before it.
        QTimer::singleShot(0, this, [this, skipped = entries.skipped] {
            m_session.guard([this, &skipped] { reportSkippedAddresses(skipped); });
        });
    }
}

void Form1::reportSkippedAddresses(const QList<qsizetype> &lines)
{
    constexpr qsizetype kNamed = 10;
    QStringList numbers;
    for (const qsizetype line : lines.first(std::min(lines.size(), kNamed)))
        numbers.append(QString::number(line));
    QString which = numbers.join(QStringLiteral(", "));
    if (lines.size() > kNamed)
        which += QStringLiteral(" and %1 more").arg(lines.size() - kNamed);
    m_platform.dialogs.messageBox(
        QStringLiteral("%1 holds lines longer than %2 characters, which cannot be addresses: %3 "
                       "%4. They are not in the list; the file is unchanged. Shorten or remove "
                       "them to use them.")
            .arg(QDir::toNativeSeparators(m_addressFile.path()))
            .arg(AddressLines::kLongestEntry)
            .arg(lines.size() == 1 ? QStringLiteral("line") : QStringLiteral("lines"), which),
        Application::title());
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
    m_session.guard([this, &cancel] { Form_Unload(cancel); });
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
    switch (ui.currentPage()) {
    case Form1Ui::Page::CommsPortSetup:
        ui.Frame2->setTitle(QStringLiteral("Comms Setup"));
        ui.CommsPic->show();
        break;
    case Form1Ui::Page::ModemSetup:
        ui.Frame2->setTitle(QStringLiteral("Modem Settings"));
        ui.ModemPic->show();
        break;
    case Form1Ui::Page::Terminal:
        ui.Frame2->setTitle(QStringLiteral("Terminal"));
        ui.TermPic->show();
        break;
    }
}

// --- The window's own handlers ----------------------------------------------

void Form1::Combo1_Click()
{
    // Refused while an exchange runs: the list shows the port in force again.
    if (!m_session.Combo1_Click(m_ui->Combo1->currentText()))
        m_ui->Combo1->setEditText(m_session.portSetting());
}

void Form1::Combo4_Click()
{
    const QString previous = std::exchange(m_addressShown, m_ui->Combo4->currentText());
    if (!m_session.Combo4_Click(m_addressShown)) {
        // Refused while an exchange runs: the list shows the earlier choice.
        m_addressShown = previous;
        m_ui->Combo4->setEditText(previous);
        return;
    }
    m_ui->Text14->setFocus();
}

void Form1::Command5_Click()
{
    m_ui->Text13->clearReceived();
    m_ui->Text14->setPlainText(QString());
    m_ui->Text14->setFocus();
}

void Form1::Text13_GotFocus(Qt::FocusReason reason)
{
    // The receive box keeps the focus only when F6 brought it there to read
    // the history; a click puts the caret into the typing box.
    if (reason != Qt::ShortcutFocusReason)
        m_ui->Text14->setFocus();
}

void Form1::showDevice(const QString &portText)
{
    bool isNumber = false;
    const int port = portText.trimmed().toInt(&isNumber);
    m_ui->Combo1->setToolTip(
        isNumber
            ? QStringLiteral("Comm port %1 is %2").arg(port).arg(m_platform.portMap.device(port))
            : QString());
}

// --- ModemView --------------------------------------------------------------

QString Form1::fieldText(int field) const
{
    return m_ui->configFields().at(static_cast<size_t>(field))->text();
}

void Form1::setFieldText(int field, const QString &text)
{
    m_ui->configFields().at(static_cast<size_t>(field))->setText(text);
    m_fieldMarks->clear(field);
}

void Form1::setBytesReceived(const QString &text)
{
    m_ui->BRText->setText(text);
}

QString Form1::statusText() const
{
    return m_ui->statusText();
}

void Form1::setStatusText(const QString &text)
{
    m_ui->setStatusText(text);
}

void Form1::setShortStatus(const QString &text, const QString &whole)
{
    m_ui->setShortStatus(text, whole);
}

QString Form1::wholeStatus() const
{
    return m_ui->wholeStatus();
}

void Form1::setBusyPointer(bool busy)
{
    m_ui->setBusyPointer(busy);
}

void Form1::setButtonEnabled(Button button, bool enabled)
{
    QPushButton *const buttons[] = {m_ui->Command1, m_ui->Command2, m_ui->Command3,
                                    m_ui->Command4, m_ui->Command5, m_ui->Command6};
    buttons[static_cast<size_t>(button)]->setEnabled(enabled);
}

void Form1::setConnectCaption(const QString &caption)
{
    m_ui->Command7->setText(caption);
}

void Form1::echoReceived(const QString &chunk)
{
    m_ui->Text13->appendReceived(chunk);
}

QString Form1::baudRateText() const
{
    return m_ui->Combo2->currentText();
}

void Form1::showTerminalPage()
{
    m_ui->showPage(Form1Ui::Page::Terminal);
}

void Form1::markNotTaken(const QList<Difference> &differences)
{
    m_fieldMarks->mark(differences);
}
