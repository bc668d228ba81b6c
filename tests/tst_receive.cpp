// The receive buffer and the quiet time that ends a reply, through the window
// with the serial component faked.
#include "support/formfixture.h"

#include "shell/form1.h"
#include "shell/form1ui.h"
#include "terminal/terminalview.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace {
QByteArray numbered(int count, char first = 1)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(static_cast<char>(first + i));
    return bytes;
}

QByteArray slotBytes(const FormState &state, int from, int count)
{
    QByteArray bytes;
    for (int i = from; i < from + count; ++i)
        bytes += state.RxBuffer.slot(i).toLatin1();
    return bytes;
}
} // namespace

class ReceiveTest : public QObject
{
    Q_OBJECT

private:
    // A connected window whose first quiet-time tick has passed.
    Form1 &connectedForm(FormFixture &fixture);

private Q_SLOTS:
    void replyIsCountedAfterQuietTime_data();
    void replyIsCountedAfterQuietTime();
    void emptyReadErasesSlotOnly();
    void echoOffStillStoresAndCounts();
    void twoBurstsAreTwoReplies();
    void shorterReplyLeavesOlderBytes();
    void failureInTimerStopsItAndReports();
};

Form1 &ReceiveTest::connectedForm(FormFixture &fixture)
{
    Form1 &form = fixture.start();
    if (!QTest::qWaitFor([&form] { return !form.receiver().Timer1().isEnabled(); }))
        QTest::qFail("The first quiet-time tick never came", __FILE__, __LINE__);
    form.portConnection().OpenComms();
    form.state().ReadPending = false;
    return form;
}

void ReceiveTest::replyIsCountedAfterQuietTime_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("shown");
    QTest::newRow("12 bytes") << 12 << 12;
    QTest::newRow("51 bytes wrap to 0") << 51 << 0;
    QTest::newRow("60 bytes") << 60 << 9;
}

void ReceiveTest::replyIsCountedAfterQuietTime()
{
    QFETCH(int, count);
    QFETCH(int, shown);
    FormFixture fixture;
    Form1 &form = connectedForm(fixture);
    QSignalSpy ticks(&form.receiver().Timer1(), &QuietTimer::timeout);
    QVERIFY(ticks.isValid());
    const QByteArray reply = numbered(count, 'A');

    QElapsedTimer sinceLastByte;
    fixture.fake().receive(reply);
    sinceLastByte.start();

    QCOMPARE(form.state().RxBuffer.count(), count % 51);
    QVERIFY(!form.state().NoReply);
    QTRY_COMPARE(ticks.size(), 1);
    // Qt's precise timers never fire early; 100 ms is the whole quiet time.
    QVERIFY2(sinceLastByte.elapsed() >= 99, qPrintable(QString::number(sinceLastByte.elapsed())));
    QCOMPARE(form.ui().BRText->text(), QString::number(shown));
    QCOMPARE(form.state().RxBuffer.count(), 0);
    QVERIFY(!form.receiver().Timer1().isEnabled());

    // Slot i holds byte i, or for more than 51 the byte that overwrote it.
    const int wrapped = count > 51 ? count - 51 : 0;
    QCOMPARE(slotBytes(form.state(), 0, wrapped), reply.mid(51, wrapped));
    QCOMPARE(slotBytes(form.state(), wrapped, std::min(count, 51) - wrapped),
             reply.mid(wrapped, std::min(count, 51) - wrapped));
    QCOMPARE(form.ui().Text13->receivedBytes(), reply);
}

void ReceiveTest::emptyReadErasesSlotOnly()
{
    FormFixture fixture;
    Form1 &form = connectedForm(fixture);
    fixture.fake().receive("abc");
    QTRY_COMPARE(form.ui().BRText->text(), QStringLiteral("3"));
    form.state().NoReply = true;

    // An event with nothing to read: the slot at the write index is emptied.
    form.receiver().MSComm1_OnComm();

    QVERIFY(form.state().RxBuffer.slot(0).isEmpty());
    QCOMPARE(form.state().RxBuffer.slot(1), QStringLiteral("b"));
    QCOMPARE(form.state().RxBuffer.count(), 0);
    QVERIFY(form.state().NoReply);
    QVERIFY(form.receiver().Timer1().isEnabled());
    QCOMPARE(form.ui().Text13->receivedBytes(), QByteArray("abc"));
    QTRY_VERIFY(!form.receiver().Timer1().isEnabled());
    QCOMPARE(form.ui().BRText->text(), QStringLiteral("0"));
}

void ReceiveTest::echoOffStillStoresAndCounts()
{
    FormFixture fixture;
    Form1 &form = connectedForm(fixture);
    form.state().TermEcho = false;
    form.state().NoReply = true;
    fixture.fake().receive("xyz");
    QCOMPARE(form.state().RxBuffer.count(), 3);
    QVERIFY(!form.state().NoReply);
    QVERIFY(form.ui().Text13->receivedBytes().isEmpty());
    QTRY_COMPARE(form.ui().BRText->text(), QStringLiteral("3"));
}

void ReceiveTest::twoBurstsAreTwoReplies()
{
    FormFixture fixture;
    Form1 &form = connectedForm(fixture);
    QSignalSpy ticks(&form.receiver().Timer1(), &QuietTimer::timeout);
    QStringList shown;
    connect(&form.receiver().Timer1(), &QuietTimer::timeout, &form,
            [&form, &shown] { shown.append(form.ui().BRText->text()); });

    fixture.fake().receive(numbered(7, 'a'));
    QTRY_COMPARE(ticks.size(), 1);
    fixture.fake().receive(numbered(4, 'A'));
    QTRY_COMPARE(ticks.size(), 2);

    QCOMPARE(shown, QStringList({"7", "4"}));
    QCOMPARE(slotBytes(form.state(), 0, 7), QByteArray("ABCDefg"));
}

void ReceiveTest::shorterReplyLeavesOlderBytes()
{
    FormFixture fixture;
    Form1 &form = connectedForm(fixture);
    fixture.fake().receive(QByteArray::fromHex("0102030405060708090a0b0c"));
    QTRY_COMPARE(form.ui().BRText->text(), QStringLiteral("12"));
    form.state().ReadPending = true;
    fixture.fake().receive(QByteArray::fromHex("ffee"));
    QTRY_VERIFY(!form.state().ReadPending);

    QCOMPARE(form.ui().Text1->text(), QStringLiteral("FF"));
    QCOMPARE(form.ui().Text2->text(), QStringLiteral("EE"));
    QCOMPARE(form.ui().Text3->text(), QStringLiteral("3"));
    QCOMPARE(form.ui().Text12->text(), QStringLiteral("12"));
    QCOMPARE(form.ui().BRText->text(), QStringLiteral("2"));
}

void ReceiveTest::failureInTimerStopsItAndReports()
{
    FormFixture fixture;
    Form1 &form = connectedForm(fixture);
    form.state().ReadPending = true;
    fixture.fake().receive("abcd");
    // The decoding pass asks the component whether the port is open.
    fixture.fake().failPortOpenQuery = Failure(FailureNumber::DeviceLost, "device gone");

    QTRY_COMPARE(fixture.dialogs.messages.size(), 1);
    QCOMPARE(fixture.dialogs.messages.first(),
             (RecordingDialogs::Box{"Error device gone", "Error"}));
    QVERIFY(!form.receiver().Timer1().isEnabled());
    // The steps after the failure did not run.
    QCOMPARE(form.ui().BRText->text(), QStringLiteral("0"));
    QCOMPARE(form.state().RxBuffer.count(), 4);
    QVERIFY(form.state().ReadPending);
}

QTEST_MAIN(ReceiveTest)
#include "tst_receive.moc"
