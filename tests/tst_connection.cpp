// SPDX-License-Identifier: GPL-3.0-or-later
// Opening and closing the port from the window, with the serial component
// faked in the process.
#include "support/app/controltexts.h"
#include "support/app/formfixture.h"

#include "shell/form1.h"
#include "shell/form1ui.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace std::chrono_literals;

namespace {
const QByteArray kConfiguration = QByteArray::fromHex("7f7f7f7e0a01ff050a031e1e");

bool enabled(const Form1Ui &ui, const char *name)
{
    return ui.window->findChild<QPushButton *>(QLatin1String(name))->isEnabled();
}

QString enabledButtons(const Form1Ui &ui)
{
    QString flags;
    for (const char *name :
         {"Command1", "Command2", "Command3", "Command4", "Command5", "Command6"})
        flags += enabled(ui, name) ? QLatin1Char('1') : QLatin1Char('0');
    return flags;
}

void choosePort(Form1Ui &ui, int index)
{
    ui.Combo1->setCurrentIndex(index);
    Q_EMIT ui.Combo1->activated(index);
}
} // namespace

class ConnectionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openShowsConnectedState();
    void connectReadsConfiguration();
    void invalidPortShowsTerminalPage();
    void disconnectKeepsTerminalButtons();
    void choosingAPortAlwaysReconnects();
    void newBaudRateWaitsForTheNextOpen();
    void typingIntoTheListsChangesNothing();
    void lostDeviceShowsClosedState();
    void portToolTipShowsTheDevice();
};

void ConnectionTest::openShowsConnectedState()
{
    FormFixture fixture;
    fixture.setSetting("Settings/Port", "3");
    Form1 &form = fixture.start();

    // The first quiet time after start has decoded the empty buffer.
    QTRY_VERIFY(!form.session().readPending());
    QStringList statuses;
    fixture.fake().onWrite = [&form, &statuses](const QByteArray &) {
        statuses.append(form.ui().statusText());
    };

    QTest::mouseClick(form.ui().Command7, Qt::LeftButton);

    QCOMPARE(fixture.fake().settings, QStringLiteral("38400,n,8,1"));
    QCOMPARE(fixture.fake().commPort, 3);
    QVERIFY(fixture.fake().portOpen());
    // The read-back follows the open at once.
    QCOMPARE(statuses.first(), QStringLiteral("Requesting Configuration..."));
    QCOMPARE(form.ui().Command7->text(), QStringLiteral("Disconnect"));
    QCOMPARE(enabledButtons(form.ui()), QStringLiteral("101111"));
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
}

void ConnectionTest::connectReadsConfiguration()
{
    FormFixture fixture;
    Form1 &form = fixture.start();
    fixture.fake().answerCommandMode(kConfiguration, 10ms);

    QTest::mouseClick(form.ui().Command7, Qt::LeftButton);

    QCOMPARE(form.ui().statusText(), QStringLiteral("Request Complete"));
    QTRY_VERIFY(form.ui().Command2->isEnabled());
    QCOMPARE(form.ui().Text4->text(), QStringLiteral("7E"));
    QCOMPARE(form.ui().Text9->text(), QStringLiteral("10"));
    QCOMPARE(form.ui().BRText->text(), QStringLiteral("12"));
    QCOMPARE(fixture.fake().writes.size(), 2);
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
}

void ConnectionTest::invalidPortShowsTerminalPage()
{
    FormFixture fixture;
    Form1 &form = fixture.start();
    fixture.fake().failOpen = Failure(FailureNumber::InvalidPortNumber, "no device");
    QString statusWhileBoxOpen;
    fixture.dialogs.whileOpen = [&form, &statusWhileBoxOpen] {
        statusWhileBoxOpen = form.ui().statusText();
    };

    QTest::mouseClick(form.ui().Command7, Qt::LeftButton);

    QCOMPARE(form.ui().TabStrip1->currentIndex(), 2);
    QVERIFY(form.ui().TermPic->isVisible());
    QCOMPARE(fixture.dialogs.messages,
             (QList<RecordingDialogs::Box>{
                 {"Please select a valid comms port", "MIRAN Modem Utility"}}));
    QCOMPARE(statusWhileBoxOpen, QStringLiteral("Connecting..."));
    QCOMPARE(enabledButtons(form.ui()), QStringLiteral("000000"));
    QCOMPARE(form.ui().Command7->text(), QStringLiteral("Connect"));
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    // The read-back that follows every attempt finds the port closed; the
    // status still says why.
    QCOMPARE(form.ui().statusText(), QStringLiteral("Invalid port"));
    QCOMPARE(fieldTexts(form.ui()), kUnreadFields);
    QVERIFY(fixture.fake().writes.isEmpty());
}

void ConnectionTest::disconnectKeepsTerminalButtons()
{
    FormFixture fixture;
    Form1 &form = fixture.start();
    fixture.fake().answerCommandMode(kConfiguration, 10ms);
    QTest::mouseClick(form.ui().Command7, Qt::LeftButton);
    QTRY_VERIFY(form.ui().Command2->isEnabled());

    QTest::mouseClick(form.ui().Command7, Qt::LeftButton);

    QVERIFY(!fixture.fake().portOpen());
    QCOMPARE(fixture.fake().closes, 1);
    QCOMPARE(form.ui().Command7->text(), QStringLiteral("Connect"));
    QCOMPARE(enabledButtons(form.ui()), QStringLiteral("100111"));
    QCOMPARE(form.ui().statusText(), QStringLiteral("Disconnected"));
}

void ConnectionTest::choosingAPortAlwaysReconnects()
{
    FormFixture fixture;
    Form1 &form = fixture.start();
    FakeComm &comm = fixture.fake();

    choosePort(form.ui(), 4);
    QCOMPARE(comm.opens, 1);
    QCOMPARE(comm.commPort, 5);
    QCOMPARE(form.session().portSetting(), QStringLiteral("5"));
    QCOMPARE(comm.written(), QByteArray("+++---"));

    // The same port again: closed, opened and read back once more.
    choosePort(form.ui(), 4);
    QCOMPARE(comm.closes, 1);
    QCOMPARE(comm.opens, 2);
    QVERIFY(comm.portOpen());
    QCOMPARE(comm.written(), QByteArray("+++---+++---"));
}

void ConnectionTest::newBaudRateWaitsForTheNextOpen()
{
    FormFixture fixture;
    Form1 &form = fixture.start();
    QTest::mouseClick(form.ui().Command7, Qt::LeftButton);
    form.ui().Combo2->setCurrentIndex(2);
    Q_EMIT form.ui().Combo2->activated(2);
    QCOMPARE(fixture.fake().settings, QStringLiteral("38400,n,8,1"));

    QTest::mouseClick(form.ui().Command7, Qt::LeftButton);
    QTest::mouseClick(form.ui().Command7, Qt::LeftButton);
    QCOMPARE(fixture.fake().settings, QStringLiteral("9600,n,8,1"));
}

void ConnectionTest::typingIntoTheListsChangesNothing()
{
    FormFixture fixture;
    Form1 &form = fixture.start();
    for (QComboBox *combo : {form.ui().Combo1, form.ui().Combo2}) {
        const QString before = combo->currentText();
        combo->setFocus();
        QTest::keyClicks(combo->lineEdit(), "99x");
        QTest::keyClick(combo->lineEdit(), Qt::Key_Backspace);
        QTest::keyClick(combo->lineEdit(), Qt::Key_Delete);
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        QCOMPARE(combo->currentText(), before);
        QCOMPARE(combo->count(), combo == form.ui().Combo1 ? 15 : 10);
    }
    QCOMPARE(fixture.fake().opens, 0);
}

void ConnectionTest::lostDeviceShowsClosedState()
{
    FormFixture fixture;
    Form1 &form = fixture.start();
    fixture.fake().answerCommandMode(kConfiguration, 10ms);
    QTest::mouseClick(form.ui().Command7, Qt::LeftButton);
    QTRY_VERIFY(form.ui().Command2->isEnabled());

    fixture.fake().unplug();

    QCOMPARE(form.ui().Command7->text(), QStringLiteral("Connect"));
    QVERIFY(!form.ui().Command2->isEnabled());
    QVERIFY(!form.ui().Command3->isEnabled());
    QVERIFY(form.ui().statusText().startsWith("Error!! Modem unplugged"));
    QCOMPARE(
        form.ui().StatusPanel1->toolTip(),
        QStringLiteral(
            "Error!! The connection to /dev/fake was lost. Plug the modem in and press Connect."));
    QVERIFY(fixture.dialogs.messages.isEmpty());

    // Connecting again works as before.
    QTest::mouseClick(form.ui().Command7, Qt::LeftButton);
    QCOMPARE(form.ui().statusText(), QStringLiteral("Request Complete"));
    QTRY_VERIFY(form.ui().Command2->isEnabled());
}

void ConnectionTest::portToolTipShowsTheDevice()
{
    FormFixture fixture;
    fixture.setSetting("Ports/2", "/dev/ttyUSB7");
    Form1 &form = fixture.start();
    QCOMPARE(form.ui().Combo1->toolTip(), QStringLiteral("Comm port 1 is /dev/ttyS0"));
    form.ui().Combo1->setCurrentIndex(1);
    QCOMPARE(form.ui().Combo1->toolTip(), QStringLiteral("Comm port 2 is /dev/ttyUSB7"));
}

QTEST_MAIN(ConnectionTest)
#include "tst_connection.moc"
