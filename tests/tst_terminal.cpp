// SPDX-License-Identifier: GPL-3.0-or-later
// The Terminal page: typing, the receive view, Clear, and the destination
// address list with its file.
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

using namespace std::chrono_literals;

namespace {
const QByteArray kConfiguration = QByteArray::fromHex("7f7f7f7f0a01ff050a031e1e");

void chooseAddress(Form1Ui &ui, const QString &address)
{
    const int index = ui.Combo4->findText(address);
    ui.Combo4->setCurrentIndex(index);
    Q_EMIT ui.Combo4->activated(index);
}

QString copied(TerminalView &view, qsizetype from, qsizetype to)
{
    view.setSelection(from, to);
    return view.selectedReceivedText();
}
} // namespace

class TerminalTest : public QObject
{
    Q_OBJECT

private:
    Form1 &terminalPage(FormFixture &fixture, bool connect);

private Q_SLOTS:
    void typedKeysGoOutOneByteEach();
    void typingWithPortClosedSendsNothing();
    void tabLeavesTheTypingBoxAndCtrlISendsATab();
    void receiveBoxHandsFocusOnAndClears();
    void viewShowsBytesAndCopiesThemUnchanged();
    void viewBreaksLongLinesOnlyOnScreen();
    void addStoresNormalizedAddress_data();
    void addStoresNormalizedAddress();
    void addedAddressesSurviveARestart();
    void failedAddChangesNothing();
    void choosingAnAddressWritesItWithoutEcho();
    void choosingAnEmptyItemIsRefusedBySet();
};

Form1 &TerminalTest::terminalPage(FormFixture &fixture, bool connect)
{
    Form1 &form = fixture.start();
    if (!QTest::qWaitFor([&form] { return !form.session().readPending(); }))
        QTest::qFail("The first quiet-time tick never came", __FILE__, __LINE__);
    form.ui().TabStrip1->setCurrentIndex(2);
    if (connect) {
        fixture.fake().answerCommandMode(kConfiguration, 10ms);
        QTest::mouseClick(form.ui().Command7, Qt::LeftButton);
        if (!QTest::qWaitFor([&form] { return form.ui().Command2->isEnabled(); }))
            QTest::qFail("The configuration was not read back", __FILE__, __LINE__);
        fixture.fake().writes.clear();
    }
    return form;
}

void TerminalTest::typedKeysGoOutOneByteEach()
{
    FormFixture fixture;
    Form1 &form = terminalPage(fixture, true);
    QPlainTextEdit *box = form.ui().Text14;

    QTest::keyClicks(box, "AT");
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_Backspace);
    // A character beyond one byte is shown but cannot be sent.
    QKeyEvent euro(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("\u20ac"));
    QApplication::sendEvent(box, &euro);
    // Text put in other than by key presses is not sent.
    box->insertPlainText("pasted");

    const QByteArray echoedBefore = form.ui().Text13->receivedBytes();
    // (Within the quiet time after connecting's "---" they wait for it.)
    QTRY_COMPARE(fixture.fake().written(), QByteArray("AT\r\b"));
    QCOMPARE(fixture.fake().writes.size(), 4);
    QCOMPARE(box->toPlainText(), QStringLiteral("AT\u20acpasted"));
    // No local echo: the receive box shows only what the modem sends.
    fixture.fake().receive("OK\r\n");
    QCOMPARE(form.ui().Text13->receivedBytes(), echoedBefore + "OK\r\n");
}

void TerminalTest::typingWithPortClosedSendsNothing()
{
    FormFixture fixture;
    Form1 &form = terminalPage(fixture, false);
    QVERIFY(!form.ui().Command5->isEnabled());
    QTest::keyClicks(form.ui().Text14, "x");
    QCOMPARE(form.ui().Text14->toPlainText(), QStringLiteral("x"));
    QVERIFY(fixture.fake().writes.isEmpty());
    QVERIFY(fixture.dialogs.messages.isEmpty());
}

void TerminalTest::tabLeavesTheTypingBoxAndCtrlISendsATab()
{
    FormFixture fixture;
    Form1 &form = terminalPage(fixture, true);
    Form1Ui &ui = form.ui();
    form.activateWindow();
    ui.Text14->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), ui.Text14);

    // Tab and Shift+Tab move the focus as in any window and send nothing;
    // the receive box, which hands the focus back, is passed by.
    QTest::keyClick(ui.Text14, Qt::Key_Tab);
    QTRY_VERIFY(QApplication::focusWidget() != ui.Text14);
    QWidget *next = QApplication::focusWidget();
    QVERIFY(next && next != ui.Text13);
    QTest::keyClick(next, Qt::Key_Tab, Qt::ShiftModifier);
    QTRY_COMPARE(QApplication::focusWidget(), ui.Text14);
    // The address list's edit part lets Tab through as well.
    ui.Combo4->setFocus();
    QTest::keyClick(ui.Combo4->lineEdit(), Qt::Key_Tab);
    QTRY_VERIFY(QApplication::focusWidget() != ui.Combo4->lineEdit());

    // Ctrl+I is the tab byte, with the text the keyboard gives it.
    QKeyEvent ctrlI(QEvent::KeyPress, Qt::Key_I, Qt::ControlModifier, QStringLiteral("\t"));
    QApplication::sendEvent(ui.Text14, &ctrlI);
    QTRY_COMPARE(fixture.fake().written(), QByteArray("\t"));
    QVERIFY(ui.Text14->toPlainText().isEmpty());
}

void TerminalTest::receiveBoxHandsFocusOnAndClears()
{
    FormFixture fixture;
    Form1 &form = terminalPage(fixture, true);
    Form1Ui &ui = form.ui();
    QTest::keyClicks(ui.Text14, "hello");
    fixture.fake().receive("first");

    QTest::mouseClick(ui.Text13->viewport(), Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), ui.Text14);

    QTest::mouseClick(ui.Command5, Qt::LeftButton);
    QVERIFY(ui.Text13->receivedText().isEmpty());
    QVERIFY(ui.Text13->toPlainText().isEmpty());
    QVERIFY(ui.Text14->toPlainText().isEmpty());
    QTRY_COMPARE(QApplication::focusWidget(), ui.Text14);
    fixture.fake().receive("after");
    ui.Text13->flushPending();
    QCOMPARE(ui.Text13->toPlainText(), QStringLiteral("after"));
}

void TerminalTest::viewShowsBytesAndCopiesThemUnchanged()
{
    TerminalView view;
    // CR LF arrives split over two batches: still one line break.
    view.appendReceived(QStringLiteral("ab\r"));
    view.flushPending();
    view.appendReceived(QString::fromLatin1(QByteArray("\ncd\ne\rf\x01\x7f\x85\xe9", 11)));
    view.flushPending();

    QCOMPARE(view.toPlainText(), QStringLiteral("ab\ncd\ne\nf\u2401\u2421\ufffd\u00e9"));
    QCOMPARE(view.receivedBytes(), QByteArray("ab\r\ncd\ne\rf\x01\x7f\x85\xe9", 14));
    QCOMPARE(copied(view, 0, view.receivedBytes().size()), view.receivedText());
    // From "b" to "c": the copy holds the CR LF the screen shows as a break.
    QCOMPARE(copied(view, 1, 5), QStringLiteral("b\r\nc"));
    QCOMPARE(copied(view, 10, 12), QString::fromLatin1("\x01\x7f"));
}

void TerminalTest::viewBreaksLongLinesOnlyOnScreen()
{
    TerminalView view;
    view.resize(300, 200);
    const QByteArray line(5000, 'x');
    for (const char byte : line)
        view.appendReceived(QString(QChar(static_cast<char16_t>(byte))));
    view.appendReceived(QStringLiteral("\r\nend"));
    view.flushPending();

    QCOMPARE(view.toPlainText(), QString::fromLatin1(line + "\nend"));
    QCOMPARE(view.receivedBytes(), line + "\r\nend");
    QCOMPARE(copied(view, 0, view.receivedBytes().size()), QString::fromLatin1(line + "\r\nend"));
    QCOMPARE(copied(view, 2047, 2050), QStringLiteral("xxx"));
}

void TerminalTest::addStoresNormalizedAddress_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("refused");
    QTest::newRow("trimmed, upper case") << "  7f7f0001 " << QByteArray("7F7F0001\r\n") << false;
    QTest::newRow("inner blanks") << "7F 7F 7F" << QByteArray("7F 7F 7F\r\n") << false;
    QTest::newRow("seven") << "7F7F7F7" << QByteArray() << true;
    QTest::newRow("nine") << "7F7F7F7F0" << QByteArray() << true;
    QTest::newRow("cancelled") << "" << QByteArray() << true;
}

void TerminalTest::addStoresNormalizedAddress()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, file);
    QFETCH(bool, refused);
    FormFixture fixture;
    Form1 &form = terminalPage(fixture, true);
    const QStringList before = items(form.ui().Combo4);
    fixture.dialogs.answers = {typed};

    QTest::mouseClick(form.ui().Command6, Qt::LeftButton);

    QCOMPARE(fixture.dialogs.inputs,
             (QList<RecordingDialogs::Box>{{"Enter Destination Address:-", "Add Address"}}));
    QCOMPARE(fixture.addressFileContent(), file);
    if (refused) {
        QCOMPARE(
            fixture.dialogs.messages,
            (QList<RecordingDialogs::Box>{{"Must be 8 digit ie 7F7F7F7F", "MIRAN Modem Utility"}}));
        QCOMPARE(items(form.ui().Combo4), before);
    } else {
        QVERIFY(fixture.dialogs.messages.isEmpty());
        QCOMPARE(items(form.ui().Combo4),
                 before + QStringList{QString::fromLatin1(file.chopped(2))});
    }
    // Adding neither chooses the new item nor sends anything.
    QCOMPARE(form.ui().Combo4->currentText(), QStringLiteral("7F7F7F7F"));
    QVERIFY(fixture.fake().writes.isEmpty());
}

void TerminalTest::addedAddressesSurviveARestart()
{
    FormFixture fixture;
    // The last line has no terminator: the new entry must not join it.
    fixture.writeAddressFile("11111111\r\n22222222");
    Form1 &form = terminalPage(fixture, true);
    fixture.dialogs.answers = {"0000ABCD", "0000abcd"};
    QTest::mouseClick(form.ui().Command6, Qt::LeftButton);
    QTest::mouseClick(form.ui().Command6, Qt::LeftButton);
    fixture.stop();

    QCOMPARE(fixture.addressFileContent(),
             QByteArray("11111111\r\n22222222\r\n0000ABCD\r\n0000ABCD\r\n"));
    Form1 &again = fixture.start();
    QCOMPARE(items(again.ui().Combo4),
             QStringList({"11111111", "22222222", "0000ABCD", "0000ABCD", "7F7F7F7F", "7F7F7F7E"}));
}

void TerminalTest::failedAddChangesNothing()
{
    FormFixture fixture;
    QVERIFY(QDir(fixture.programFolder()).mkdir("Address.txt"));
    Form1 &form = terminalPage(fixture, true);
    fixture.dialogs.answers = {"0000ABCD"};

    QTest::mouseClick(form.ui().Command6, Qt::LeftButton);

    QCOMPARE(fixture.dialogs.messages.size(), 1);
    QVERIFY(
        fixture.dialogs.messages.first().prompt.startsWith("Error!! The address was not added."));
    QCOMPARE(items(form.ui().Combo4), QStringList({"7F7F7F7F", "7F7F7F7E"}));
}

void TerminalTest::choosingAnAddressWritesItWithoutEcho()
{
    FormFixture fixture;
    Form1 &form = terminalPage(fixture, true);
    const QByteArray echoedBefore = form.ui().Text13->receivedBytes();
    QList<bool> echoDuringWrites;
    fixture.fake().onWrite = [&form, &echoDuringWrites](const QByteArray &) {
        echoDuringWrites.append(form.session().termEcho());
    };

    chooseAddress(form.ui(), "7F7F7F7E");

    QCOMPARE(fixture.fake().writes.size(), 5);
    QCOMPARE(fixture.fake().writes.at(1).bytes, QByteArray::fromHex("7f7f7f7e0a01ff050a031e1e"));
    QCOMPARE(echoDuringWrites, QList<bool>(5, false));
    QVERIFY(form.session().termEcho());
    QTRY_COMPARE(QApplication::focusWidget(), form.ui().Text14);
    QTRY_COMPARE(form.ui().Text4->text(), QStringLiteral("7E"));
    // The modem's answers to that write were not shown.
    QCOMPARE(form.ui().Text13->receivedBytes(), echoedBefore);
}

void TerminalTest::choosingAnEmptyItemIsRefusedBySet()
{
    FormFixture fixture;
    fixture.writeAddressFile("\r\n");
    Form1 &form = terminalPage(fixture, false);
    // Typing into the list's edit part changes nothing.
    QTest::keyClicks(form.ui().Combo4->lineEdit(), "12");
    QCOMPARE(form.ui().Combo4->currentText(), QStringLiteral("7F7F7F7F"));

    QString text1WhileBoxOpen = "unset";
    fixture.dialogs.whileOpen = [&] { text1WhileBoxOpen = form.ui().Text1->text(); };

    chooseAddress(form.ui(), "");

    QCOMPARE(text1WhileBoxOpen, QString());
    QCOMPARE(fixture.dialogs.messages,
             (QList<RecordingDialogs::Box>{{"Invalid input (00-FF)", "Error!!"}}));
    QCOMPARE(form.ui().statusText(),
             QStringLiteral("No Response from Modem. Check Comms Port & Baud rate"));
}

QTEST_MAIN(TerminalTest)
#include "tst_terminal.moc"
