// SPDX-License-Identifier: GPL-3.0-or-later
// The Modem Setup page's wiring: Refresh and Set reach the session and the
// fields show what it reads, clicks during an exchange leave the lists as they
// were, and the address fields' focus behaviour. The exchanges themselves are
// tested against the session alone.
#include "support/app/controltexts.h"
#include "support/app/formfixture.h"

#include "shell/form1.h"
#include "shell/form1ui.h"
#include "terminal/terminalview.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

namespace {
const QByteArray kModemConfiguration = QByteArray::fromHex("7f7f7f7e0a01ff050a031e1e");
const QStringList kModemFields{"7F", "7F", "7F", "7E", "A", "1", "FF", "5", "10", "3", "30", "30"};
const QStringList kLoadTexts{"7F", "7F", "7F",  "7F", "7F", "7F",
                             "7F", "7F", "107", "0",  "30", "30"};

QList<QByteArray> writtenChunks(const FakeComm &comm)
{
    QList<QByteArray> chunks;
    for (const FakeComm::Write &write : comm.writes)
        chunks.append(write.bytes);
    return chunks;
}
} // namespace

class ConfigWriteTest : public QObject
{
    Q_OBJECT

private:
    // Connected, the configuration read back, the writes so far forgotten.
    Form1 &connected(FormFixture &fixture, std::chrono::milliseconds replyDelay = 10ms);

private Q_SLOTS:
    void readBackFillsFields();
    void setWritesPacketInsideCommandMode();
    void clicksDuringAnExchangeAreRefused();
    void addressFieldSelectsAllOnFocus();
};

Form1 &ConfigWriteTest::connected(FormFixture &fixture, std::chrono::milliseconds replyDelay)
{
    fixture.writeAddressFile("AAAAAAAA\r\nBBBBBBBB\r\n");
    Form1 &form = fixture.start();
    fixture.fake().answerCommandMode(kModemConfiguration, replyDelay);
    QTest::mouseClick(form.ui().Command7, Qt::LeftButton);
    if (!QTest::qWaitFor([&form] { return form.ui().Command2->isEnabled(); }))
        QTest::qFail("The configuration was not read back", __FILE__, __LINE__);
    fixture.fake().writes.clear();
    return form;
}

void ConfigWriteTest::readBackFillsFields()
{
    FormFixture fixture;
    Form1 &form = connected(fixture);
    QCOMPARE(fieldTexts(form.ui()), kModemFields);

    // GIVEN a field the user edited WHEN Refresh is clicked THEN it shows
    // "??" at once and the modem's value once the reply is decoded.
    form.ui().Text9->setText("55");
    QStringList fieldsDuringRequest;
    fixture.fake().onWrite = [&](const QByteArray &) {
        if (fieldsDuringRequest.isEmpty())
            fieldsDuringRequest = fieldTexts(form.ui()) << form.ui().BRText->text();
    };
    QTest::mouseClick(form.ui().Command3, Qt::LeftButton);

    QCOMPARE(fieldsDuringRequest, QStringList(12, "??") << "0");
    QCOMPARE(form.ui().statusText(), QStringLiteral("Request Complete"));
    QCOMPARE(writtenChunks(fixture.fake()), (QList<QByteArray>{"+++", "---"}));
    QTRY_COMPARE(fieldTexts(form.ui()), kModemFields);
    QCOMPARE(form.ui().BRText->text(), QStringLiteral("12"));
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
}

void ConfigWriteTest::setWritesPacketInsideCommandMode()
{
    FormFixture fixture;
    Form1 &form = connected(fixture);
    setFields(form.ui(), kLoadTexts);
    const qsizetype echoedBefore = form.ui().Text13->receivedBytes().size();

    QTest::mouseClick(form.ui().Command2, Qt::LeftButton);

    const QList<FakeComm::Write> &writes = fixture.fake().writes;
    const QByteArray packet = QByteArray::fromHex("7f7f7f7f7f7f7f7f6b001e1e");
    QCOMPARE(writtenChunks(fixture.fake()),
             (QList<QByteArray>{"+++", packet, "---", "+++", "---"}));
    // Each gap is a minimum: the waits end only past their interval.
    const qint64 minimumGapMs[] = {200, 200, 500, 100};
    for (int i = 0; i < 4; ++i)
        QVERIFY2(writes.at(i + 1).atMs - writes.at(i).atMs >= minimumGapMs[i],
                 qPrintable(QStringLiteral("gap %1: %2 ms")
                                .arg(i)
                                .arg(writes.at(i + 1).atMs - writes.at(i).atMs)));
    QCOMPARE(form.ui().statusText(), QStringLiteral("Request Complete"));
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);

    // The modem took the packet: the read-back shows it.
    QTRY_COMPARE(fieldTexts(form.ui()), kLoadTexts);
    // With "Set" the modem's answers are echoed to the terminal.
    QCOMPARE(form.ui().Text13->receivedBytes().size(), echoedBefore + 24);
}

void ConfigWriteTest::clicksDuringAnExchangeAreRefused()
{
    FormFixture fixture;
    Form1 &form = connected(fixture);
    Form1Ui &ui = form.ui();
    const QString portBefore = ui.Combo1->currentText();
    const QString addressBefore = ui.Combo4->currentText();
    ui.TabStrip1->setCurrentIndex(2);
    bool clicked = false;
    fixture.fake().onWrite = [&](const QByteArray &bytes) {
        if (clicked || bytes != "+++")
            return;
        clicked = true;
        // WHEN, during the first wait of "Set", the user clicks everything
        QTimer::singleShot(50ms, &form, [&ui] {
            for (QPushButton *button :
                 {ui.Command2, ui.Command3, ui.Command7, ui.Command1, ui.Command4})
                button->click();
            for (QComboBox *combo : {ui.Combo1, ui.Combo4}) {
                combo->setCurrentIndex(3);
                Q_EMIT combo->activated(3);
            }
            QTest::keyClick(ui.Text14, Qt::Key_Z);
        });
    };

    QTest::mouseClick(ui.Command2, Qt::LeftButton);

    // THEN only the typed key got through, between the exchange's steps.
    QCOMPARE(writtenChunks(fixture.fake()),
             (QList<QByteArray>{"+++", "z", QByteArray::fromHex("7f7f7f7e0a01ff050a031e1e"), "---",
                                "+++", "---"}));
    QVERIFY(fixture.fake().portOpen());
    QCOMPARE(fixture.fake().opens, 1);
    QCOMPARE(ui.Combo1->currentText(), portBefore);
    QCOMPARE(ui.Combo4->currentText(), addressBefore);
    QTRY_COMPARE(fieldTexts(ui), kModemFields);
}

void ConfigWriteTest::addressFieldSelectsAllOnFocus()
{
    FormFixture fixture;
    Form1 &form = connected(fixture);
    QLineEdit *field = form.ui().Text5;
    field->setMaxLength(32767);
    QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(2, field->height() / 2));
    QTRY_COMPARE(field->selectedText(), QStringLiteral("A"));
    QCOMPARE(field->maxLength(), 2);
    QTest::keyClicks(field, "b12");
    QCOMPARE(field->text(), QStringLiteral("b1"));
    // The decimal fields keep the window's own behaviour.
    QCOMPARE(form.ui().Text9->maxLength(), 32767);
}

QTEST_MAIN(ConfigWriteTest)
#include "tst_configwrite.moc"
