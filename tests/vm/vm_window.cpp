// SPDX-License-Identifier: GPL-3.0-or-later
// The window inside the test machine, offscreen, through the USB serial
// adapter and its kernel driver. tst_vm runs it there with MIRAN_VM_DEVICE
// naming the adapter's /dev/serial/by-id path and MIRAN_VM_SHARED a folder
// it shares with the host; the modem behind the adapter holds the
// end-to-end tests' configuration.
#include "support/app/controltexts.h"
#include "support/app/formfixture.h"
#include "support/core/cputime.h"
#include "support/sim/modemsim.h"

#include "modem/failurestatus.h"
#include "shell/form1.h"
#include "shell/form1ui.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

class VmWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void connectFillsTheFields();
    void findModemTriesEveryUsbDevice();
    void unplugWhileConnected();

private:
    // Leaves the host a request in the shared folder and waits for its answer.
    bool ask(const QString &request, const QString &answer) const;

    QString m_device;
};

void VmWindowTest::initTestCase()
{
    m_device = qEnvironmentVariable("MIRAN_VM_DEVICE");
    if (m_device.isEmpty())
        QSKIP("runs inside the test machine (tst_vm), where MIRAN_VM_DEVICE is set");
}

void VmWindowTest::connectFillsTheFields()
{
    // GIVEN comm port 1 mapped to the adapter's stable name
    FormFixture fixture(FormFixture::Link::Serial);
    fixture.setSetting(QStringLiteral("Ports/1"), m_device);
    Form1Ui &ui = fixture.start().ui();
    ui.showPage(Form1Ui::Page::CommsPortSetup);
    // The line under the lists names the adapter as udev knows it.
    QVERIFY2(ui.DeviceLine->text().contains(QStringLiteral("0403:6001")),
             qPrintable(ui.DeviceLine->text()));

    // WHEN the user connects
    ui.Command7->click();

    // THEN the modem's configuration fills the twelve fields
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 20'000);
    QCOMPARE(ui.Command7->text(), QStringLiteral("Disconnect"));
    QCOMPARE(ui.statusText(), QStringLiteral("Request Complete"));
    QVERIFY(fixture.dialogs.messages.isEmpty());
    ui.Command7->click();
    QCOMPARE(ui.Command7->text(), QStringLiteral("Connect"));
}

void VmWindowTest::findModemTriesEveryUsbDevice()
{
    // GIVEN comm port 1 mapped to a device that is not there
    FormFixture fixture(FormFixture::Link::Serial);
    fixture.setSetting(QStringLiteral("Ports/1"), fixture.scratchPath(QStringLiteral("absent")));
    Form1Ui &ui = fixture.start().ui();
    ui.showPage(Form1Ui::Page::CommsPortSetup);

    // WHEN Find Modem runs with every USB serial device too
    ui.ScanEveryUsb->setChecked(true);
    ui.FindModem->click();

    // THEN it found the modem behind the adapter, mapped port 1 there and connected
    // (The line elides a long path; its tool tip then holds the whole text.)
    const QString said =
        ui.ScanStatus->toolTip().isEmpty() ? ui.ScanStatus->text() : ui.ScanStatus->toolTip();
    QCOMPARE(said, QStringLiteral("The modem answered on %1 at 38400 baud.").arg(m_device));
    QCOMPARE(ui.Combo2->currentText(), QStringLiteral("38400"));
    QCOMPARE(ui.Command7->text(), QStringLiteral("Disconnect"));
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 20'000);
    QCOMPARE(ui.DeviceList->currentData().toString(), m_device);
    QVERIFY(fixture.dialogs.messages.isEmpty());
}

void VmWindowTest::unplugWhileConnected()
{
    // GIVEN a connected modem
    FormFixture fixture(FormFixture::Link::Serial);
    fixture.setSetting(QStringLiteral("Ports/1"), m_device);
    Form1Ui &ui = fixture.start().ui();
    ui.Command7->click();
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 20'000);

    // WHEN the host pulls the adapter out
    QVERIFY(ask(QStringLiteral("unplug"), QStringLiteral("unplugged")));

    // THEN the window shows the closed port and why, as with any device
    QTRY_COMPARE_WITH_TIMEOUT(ui.Command7->text(), QStringLiteral("Connect"), 20'000);
    QCOMPARE(ui.statusText(), FailureStatus::lost(FailureNumber::DeviceLost));
    const QString lost = QStringLiteral("Error!! The connection to %1 was lost (the device was "
                                        "removed). Plug the modem in and press Connect.")
                             .arg(m_device);
    QCOMPARE(ui.StatusPanel1->toolTip(), lost);
    QVERIFY(fixture.dialogs.messages.isEmpty());

    // AND idles: two seconds of event processing, measured
    const auto used = cpuTimeWhileWaiting(std::chrono::milliseconds(2000));
    QVERIFY2(used.count() < 0.3,
             qPrintable(QStringLiteral("%1 s of processor time").arg(used.count())));

    // WHEN it is plugged in again, Connect reads the modem as before
    QVERIFY(ask(QStringLiteral("replug"), QStringLiteral("replugged")));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(m_device), 20'000);
    ui.Command7->click();
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 20'000);
    QCOMPARE(ui.Command7->text(), QStringLiteral("Disconnect"));
}

bool VmWindowTest::ask(const QString &request, const QString &answer) const
{
    const QDir shared(qEnvironmentVariable("MIRAN_VM_SHARED"));
    QFile note(shared.filePath(request));
    if (shared.path().isEmpty() || !note.open(QIODevice::WriteOnly))
        return false;
    note.close();
    return QTest::qWaitFor([&] { return QFileInfo::exists(shared.filePath(answer)); }, 30'000);
}

QTEST_MAIN(VmWindowTest)
#include "vm_window.moc"
