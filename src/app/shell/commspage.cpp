// SPDX-License-Identifier: GPL-3.0-or-later
#include "commspage.h"

#include "form1ui.h"
#include "modem/modemsession.h"
#include "serial/portmap.h"
#include "serial/serialdevices.h"
#include "settings/settingsstore.h"
#include "system/application.h"
#include "system/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {
// Shows each line cut to the label's width, the whole text as tool tip when
// anything was cut. Paths are cut in the middle, where they differ least.
// Shows a status line in a label of fixed width: cut to fit, the whole text in
// its tool tip when cut, and the whole text as what a screen reader reads (the
// label's purpose is its accessible description).
void showStatusLine(QLabel *label, const QString &text)
{
    const QFontMetrics metrics(label->font());
    QStringList lines = text.split(QLatin1Char('\n'));
    bool cut = false;
    for (QString &line : lines) {
        const QString shown = metrics.elidedText(line, Qt::ElideMiddle, label->width());
        cut = cut || shown != line;
        line = shown;
    }
    label->setText(lines.join(QLatin1Char('\n')));
    label->setToolTip(cut ? text : QString());
    label->setAccessibleName(text);
}

QStringList items(const QComboBox &combo)
{
    QStringList texts;
    for (int i = 0; i < combo.count(); ++i)
        texts.append(combo.itemText(i));
    return texts;
}
} // namespace

CommsPage::CommsPage(Form1Ui &ui, const Platform &platform, QObject *parent)
    : QObject(parent)
    , m_ui(ui)
    , m_platform(platform)
    , m_scan(platform.session, platform.portMap)
{
    m_poll.setInterval(kPollInterval);
    wire();
}

void CommsPage::wire()
{
    const auto guarded = [this](auto handler) {
        return [this, handler](auto &&...) { m_platform.session.guard(handler); };
    };
    connect(&m_poll, &QTimer::timeout, this, guarded([this] { poll(); }));
    connect(m_ui.Combo1, &QComboBox::editTextChanged, this, guarded([this] { showDeviceLine(); }));
    connect(m_ui.DeviceList, &NamedComboBox::itemChosen, this, [this](int index) {
        m_platform.session.guard([this, index] { chooseDevice(index); });
    });
    connect(m_ui.DeviceList, &NamedComboBox::textEntered, this, [this](const QString &text) {
        m_platform.session.guard([this, &text] { enterDevice(text); });
    });
    connect(m_ui.FindModem, &QPushButton::clicked, this, guarded([this] { findModem(); }));
    connect(m_ui.ScanCancel, &QPushButton::clicked, this, [this] { m_scan.cancel(); });
    connect(&m_scan, &ModemScan::trying, this, &CommsPage::showTrying);
    m_ui.CommsPic->installEventFilter(this);
}

bool CommsPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui.CommsPic) {
        if (event->type() == QEvent::Show) {
            m_platform.session.guard([this] { refresh(); });
            m_poll.start();
        } else if (event->type() == QEvent::Hide) {
            m_poll.stop();
        }
    }
    return QObject::eventFilter(watched, event);
}

void CommsPage::refresh()
{
    m_signature = SerialDevices::signature();
    showDeviceLine();
    fillDeviceList();
}

void CommsPage::poll()
{
    // Listing devices asks the system for each; the names in /dev tell
    // cheaply whether anything came or went.
    if (SerialDevices::signature() != m_signature)
        refresh();
    else
        showDeviceLine();
}

int CommsPage::portNumber() const
{
    bool isNumber = false;
    const int number = m_ui.Combo1->currentText().trimmed().toInt(&isNumber);
    return isNumber ? number : 0;
}

void CommsPage::showDeviceLine()
{
    const int number = portNumber();
    if (number <= 0) {
        showStatusLine(m_ui.DeviceLine, QString());
        return;
    }
    showStatusLine(m_ui.DeviceLine,
                   SerialDevices::portLine(number, m_platform.portMap.device(number)));
}

void CommsPage::fillDeviceList()
{
    QComboBox &list = *m_ui.DeviceList;
    const int number = portNumber();
    const QString mapped = number > 0 ? m_platform.portMap.device(number) : QString();
    // A name being typed stays while the devices present change.
    const bool typing = list.lineEdit()->hasFocus() && list.lineEdit()->isModified();
    const QString typed = list.currentText();
    list.clear();
    list.setPlaceholderText(QStringLiteral("Choose the device for comm port %1").arg(number));
    list.lineEdit()->setPlaceholderText(list.placeholderText());
    for (const SerialDevices::Device &device :
         SerialDevices::present(m_platform.portMap, PortMap::kFirstPort, PortMap::kListedPorts)) {
        const QString what = SerialDevices::summary(device);
        list.addItem(what.isEmpty() ? device.path : device.path + QStringLiteral("  ") + what,
                     device.path);
        list.setItemData(list.count() - 1, what, Qt::ToolTipRole);
    }
    list.setCurrentIndex(list.findData(mapped));
    if (typing) {
        list.setEditText(typed);
        list.lineEdit()->setModified(true);
    } else {
        showChosenDevice();
    }
}

void CommsPage::showChosenDevice()
{
    // The edit part shows the device's name alone, from its start; the list
    // shows what each device is beside it.
    QComboBox &list = *m_ui.DeviceList;
    list.setEditText(list.currentIndex() >= 0 ? list.currentData().toString() : QString());
    list.lineEdit()->setCursorPosition(0);
}

void CommsPage::chooseDevice(int index)
{
    const QString device = m_ui.DeviceList->itemData(index).toString();
    const int number = portNumber();
    if (device.isEmpty() || number <= 0)
        return;
    mapPort(number, device);
    showDeviceLine();
    showChosenDevice();
}

void CommsPage::enterDevice(const QString &text)
{
    const int number = portNumber();
    QComboBox &list = *m_ui.DeviceList;
    const int index = std::max(list.findText(text), list.findData(text));
    if (index >= 0) {
        list.setCurrentIndex(index);
        chooseDevice(index);
        return;
    }
    if (text.isEmpty() || number <= 0)
        return;
    if (!SerialDevices::describe(text) || QFileInfo(text).isDir()) {
        m_platform.dialogs.messageBox(
            QStringLiteral("\"%1\" is neither a device nor a network port. Choose the modem's "
                           "device in the list, or type rfc2217://HOST:PORT or tcp://HOST:PORT "
                           "(HOST a name or address, PORT a number from 1 to 65535).")
                .arg(text),
            Application::title());
        return;
    }
    if (mapPort(number, text))
        refresh();
}

bool CommsPage::mapPort(int portNumber, const QString &device)
{
    PortMap::assign(m_platform.settings, portNumber, device);
    const QString failure = m_platform.settings.flush();
    if (!failure.isEmpty()) {
        m_platform.dialogs.messageBox(QStringLiteral("Error: ") + failure, QStringLiteral("Error"));
        return false;
    }
    m_ui.Combo1->setToolTip(QStringLiteral("Comm port %1 is %2").arg(portNumber).arg(device));
    return true;
}

void CommsPage::findModem()
{
    if (m_scan.isRunning() || m_platform.session.exchangeRunning())
        return;
    const QStringList rates = ModemScan::rateOrder(items(*m_ui.Combo2), m_ui.Combo2->currentText());
    const QStringList devices =
        ModemScan::devicesFor(m_platform.portMap, portNumber(), m_ui.ScanEveryUsb->isChecked());
    setScanning(true);
    const ModemScan::Outcome outcome = m_scan.run(devices, rates);
    setScanning(false);

    switch (outcome.result) {
    case ModemScan::Outcome::Result::Found:
        showStatusLine(m_ui.ScanStatus, ModemScan::describe(outcome));
        connectFound(outcome);
        break;
    case ModemScan::Outcome::Result::Cancelled:
        showStatusLine(m_ui.ScanStatus, QStringLiteral("Find Modem was cancelled."));
        break;
    case ModemScan::Outcome::Result::Refused:
        showStatusLine(m_ui.ScanStatus, QString());
        break;
    case ModemScan::Outcome::Result::NothingAnswered:
        showStatusLine(m_ui.ScanStatus, QStringLiteral("No modem found."));
        m_platform.dialogs.messageBox(ModemScan::describe(outcome), Application::title());
        break;
    }
}

void CommsPage::connectFound(const ModemScan::Outcome &outcome)
{
    // A device found under another name gets a comm port number: one that
    // maps to it already, else the chosen one.
    int number =
        m_platform.portMap.numberOf(outcome.device, PortMap::kFirstPort, PortMap::kListedPorts);
    if (number == 0) {
        number = portNumber();
        if (!mapPort(number, outcome.device))
            return;
    }
    const QString port = QString::number(number);
    m_platform.session.setPortSetting(port);
    m_ui.Combo1->setEditText(port);
    m_ui.Combo2->setEditText(outcome.rate);
    refresh();
    m_platform.session.Command7_Click();
}

void CommsPage::showTrying(const QString &device, const QString &rate, int attempt, int attempts)
{
    m_ui.ScanProgress->setRange(0, attempts);
    m_ui.ScanProgress->setValue(attempt - 1);
    showStatusLine(m_ui.ScanStatus, QStringLiteral("Trying %1 at %2 baud (%3 of %4)...")
                                        .arg(device, rate)
                                        .arg(attempt)
                                        .arg(attempts));
}

void CommsPage::setScanning(bool scanning)
{
    m_ui.FindModem->setEnabled(!scanning);
    m_ui.ScanEveryUsb->setEnabled(!scanning);
    m_ui.DeviceList->setEnabled(!scanning);
    m_ui.ScanProgress->setVisible(scanning);
    m_ui.ScanCancel->setVisible(scanning);
    if (scanning) {
        m_ui.ScanProgress->setValue(0);
        m_ui.ScanCancel->setFocus();
    }
}
