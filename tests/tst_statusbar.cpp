// SPDX-License-Identifier: GPL-3.0-or-later
// The status bar of the window: every text the program writes there is
// shown whole, and the tool tip always holds the whole last text, also when
// the bar shows a short form of it.
#include "support/app/formfixture.h"

#include "modem/failurestatus.h"
#include "shell/form1.h"
#include "shell/form1ui.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

namespace {
const QByteArray kConfiguration = QByteArray::fromHex("7f7f7f7e0a01ff050a031e1e");
} // namespace

class StatusBarTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyStatusTextFitsThePanel_data();
    void everyStatusTextFitsThePanel();
    void toolTipHoldsTheWholeText_data();
    void toolTipHoldsTheWholeText();
};

void StatusBarTest::everyStatusTextFitsThePanel_data()
{
    QTest::addColumn<QString>("text");
    const QStringList fixed = {
        "Disconnected",
        "Connecting...",
        "Connected to COMM 255",
        "Invalid port",
        "Entering AT Mode...",
        "Exiting AT Mode...",
        "Sending Configuration...",
        "Send Complete",
        "Requesting Configuration...",
        "Request Complete",
        "No Response from Modem. Check Comms Port & Baud rate",
        "Request Complete - 12 fields not taken by the modem",
        FailureStatus::lost(FailureNumber::DeviceLost),
        // The longest description shown as it is, in the widest characters.
        FailureStatus::openFailed(0, QString(FailureStatus::kLongestText - 8, QLatin1Char('W'))),
    };
    for (const QString &text : fixed)
        QTest::newRow(qPrintable(text)) << text;
    for (const QString &text : FailureStatus::all())
        QTest::newRow(qPrintable(text)) << text;
}

void StatusBarTest::everyStatusTextFitsThePanel()
{
    QFETCH(QString, text);
    FormFixture fixture;
    Form1 &form = fixture.start();
    QVERIFY(QTest::qWaitForWindowExposed(form.ui().window));
    const QLabel *panel = form.ui().StatusPanel1;

    form.ui().setStatusText(text);

    QCOMPARE(panel->text(), text);
    const int advance = QFontMetrics(panel->font()).horizontalAdvance(text);
    QVERIFY2(advance <= panel->contentsRect().width(),
             qPrintable(QStringLiteral("%1 px in a panel of %2 px")
                            .arg(advance)
                            .arg(panel->contentsRect().width())));
}

void StatusBarTest::toolTipHoldsTheWholeText_data()
{
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("connected") << "connect"
                               << "Request Complete"
                               << "Request Complete";
    QTest::newRow("unplugged")
        << "unplug" << FailureStatus::lost(FailureNumber::DeviceLost)
        << "Error!! The connection to /dev/fake was lost. Plug the modem in and press Connect.";
    QTest::newRow("unplugged during Refresh")
        << "unplug in Refresh" << FailureStatus::lost(FailureNumber::DeviceLost)
        << "Error!! The connection to /dev/fake was lost. Plug the modem in and press Connect.";
}

void StatusBarTest::toolTipHoldsTheWholeText()
{
    QFETCH(QString, event);
    QFETCH(QString, status);
    QFETCH(QString, toolTip);
    FormFixture fixture;
    Form1 &form = fixture.start();
    Form1Ui &ui = form.ui();
    fixture.fake().answerCommandMode(kConfiguration, 10ms);
    QTest::mouseClick(ui.Command7, Qt::LeftButton);
    QTRY_VERIFY(ui.Command2->isEnabled());

    if (event == "unplug") {
        fixture.fake().unplug();
    } else if (event == "unplug in Refresh") {
        // The read-back waits 0.1 s, well past the loss.
        QTimer::singleShot(30ms, &form, [&fixture] { fixture.fake().unplug(); });
        QTest::mouseClick(ui.Command3, Qt::LeftButton);
    }

    QCOMPARE(ui.StatusPanel1->text(), status);
    QCOMPARE(ui.StatusPanel1->toolTip(), toolTip);
}

QTEST_MAIN(StatusBarTest)
#include "tst_statusbar.moc"
