// SPDX-License-Identifier: GPL-3.0-or-later
// The window on Windows, with its real serial component, against the
// simulated modem run.sh keeps behind a comm port (see runnermodem.h): its
// caption, Connect filling the twelve fields, Disconnect letting the port go,
// and the modem unplugged while connected.
#include "runnermodem.h"

#include "support/app/controltexts.h"
#include "support/app/formfixture.h"
#include "support/sim/modemsim.h"

#include "modem/failurestatus.h"
#include "serial/localport.h"
#include "serial/mscomm.h"
#include "shell/form1.h"
#include "shell/form1ui.h"
#include "system/failure.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <windows.h>

namespace {
void click(QPushButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// The title Windows has for the window, as the task bar shows it.
QString nativeTitle(const QWidget &window)
{
    const auto handle = reinterpret_cast<HWND>(window.winId());
    wchar_t title[256] = {};
    const int length = GetWindowTextW(handle, title, 256);
    return QString::fromWCharArray(title, length);
}
} // namespace

class WinWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void startsWithItsCaption();
    void connectFillsTheFieldsAndDisconnectLetsGo();
    void unplugWhileConnected();

private:
    // Maps comm port 1 to the modem's port and chooses the modem's rate in
    // the Baud Rate list, as a user would.
    Form1Ui &startOnTheModem(FormFixture &fixture) const;

    RunnerModem m_modem;
};

void WinWindowTest::initTestCase()
{
    m_modem = RunnerModem::fromEnvironment();
    const QStringList missing = m_modem.missing();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("needs the simulated modem behind a comm port, as "
                                        "tests/windows/run.sh sets it up; not set: ") +
                         missing.join(QStringLiteral(", "))));
}

void WinWindowTest::cleanup()
{
    // A failed case may leave the modem in command mode or unplugged: the
    // next one starts with a new modem.
    if (QTest::currentTestFailed())
        QVERIFY(m_modem.ask(QStringLiteral("restart")));
}

Form1Ui &WinWindowTest::startOnTheModem(FormFixture &fixture) const
{
    fixture.setSetting(QStringLiteral("Ports/1"), m_modem.port);
    Form1Ui &ui = fixture.start().ui();
    const int rate = ui.Combo2->findText(QString::number(m_modem.rate));
    if (rate >= 0) {
        ui.Combo2->setCurrentIndex(rate);
        Q_EMIT ui.Combo2->activated(rate);
    }
    return ui;
}

void WinWindowTest::startsWithItsCaption()
{
    // GIVEN a new window
    FormFixture fixture(FormFixture::Link::Serial);

    // WHEN it starts
    Form1 &form = fixture.start();

    // THEN Windows shows it with the program's name and version, nothing read yet
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QString caption = QStringLiteral("MIRAN Modem Utility - Version:%1.%2.%3")
                                .arg(MIRAN_VERSION_MAJOR)
                                .arg(MIRAN_VERSION_MINOR)
                                .arg(MIRAN_VERSION_PATCH);
    QCOMPARE(form.windowTitle(), caption);
    QCOMPARE(nativeTitle(form), caption);
    QCOMPARE(fieldTexts(form.ui()), kUnreadFields);
    QCOMPARE(form.ui().statusText(), QStringLiteral("Disconnected"));
    QCOMPARE(form.ui().Command7->text(), QStringLiteral("Connect"));
    QVERIFY(fixture.dialogs.messages.isEmpty());
}

void WinWindowTest::connectFillsTheFieldsAndDisconnectLetsGo()
{
    // GIVEN comm port 1 mapped to the modem, at its rate
    FormFixture fixture(FormFixture::Link::Serial);
    Form1Ui &ui = startOnTheModem(fixture);
    QCOMPARE(ui.Combo2->currentText(), QString::number(m_modem.rate));

    // WHEN the user connects
    click(ui.Command7);

    // THEN the modem's configuration fills the twelve fields
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 10'000);
    QCOMPARE(ui.Command7->text(), QStringLiteral("Disconnect"));
    QCOMPARE(ui.statusText(), QStringLiteral("Request Complete"));
    QVERIFY(fixture.serial().portOpen());
    QCOMPARE(fixture.serial().device(), m_modem.port);

    // WHEN the user disconnects
    click(ui.Command7);

    // THEN the window shows it, and the port is free for another program
    QCOMPARE(ui.Command7->text(), QStringLiteral("Connect"));
    QCOMPARE(ui.statusText(), QStringLiteral("Disconnected"));
    QVERIFY(!fixture.serial().portOpen());
    LocalPort other;
    try {
        other.open(m_modem.port, m_modem.rate, 0);
    } catch (const Failure &failure) {
        QFAIL(qPrintable(failure.description()));
    }
    other.close();
    QVERIFY(fixture.dialogs.messages.isEmpty());
}

void WinWindowTest::unplugWhileConnected()
{
    // GIVEN a connected modem
    FormFixture fixture(FormFixture::Link::Serial);
    Form1Ui &ui = startOnTheModem(fixture);
    click(ui.Command7);
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 10'000);

    // WHEN the modem is unplugged
    QVERIFY(m_modem.ask(QStringLiteral("hangup")));

    // THEN the window shows the closed port and why, as with any device
    QTRY_COMPARE_WITH_TIMEOUT(ui.Command7->text(), QStringLiteral("Connect"), 10'000);
    QCOMPARE(ui.statusText(), FailureStatus::lost(FailureNumber::DeviceLost));
    QCOMPARE(ui.StatusPanel1->toolTip(),
             QStringLiteral("Error!! The connection to %1 was lost (the device was removed). "
                            "Plug the modem in and press Connect.")
                 .arg(m_modem.port));
    QVERIFY(!fixture.serial().portOpen());
    QVERIFY(fixture.dialogs.messages.isEmpty());

    // WHEN it is plugged in again, THEN Connect reads it as before
    QVERIFY(m_modem.ask(QStringLiteral("plug")));
    setFields(ui, kUnreadFields);
    click(ui.Command7);
    QCOMPARE(ui.Command7->text(), QStringLiteral("Disconnect"));
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 10'000);
    QCOMPARE(ui.statusText(), QStringLiteral("Request Complete"));
    click(ui.Command7);
    QVERIFY(fixture.dialogs.messages.isEmpty());
}

QTEST_MAIN(WinWindowTest)
#include "win_window.moc"
