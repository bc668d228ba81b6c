// Nothing reaches the modem that the user did not ask for: the window on the
// real serial component against the simulated modem, with focus moves, the
// window closing, a refused field, and long runs of random user actions.
#include "support/controltexts.h"
#include "support/formfixture.h"
#include "support/simwindow.h"

#include "shell/form1.h"
#include "shell/form1ui.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <random>

namespace {
// Entries before the built-in ones: the list's first item is not the address
// the window shows at start, as in a user's own list.
const QByteArray kAddressFile = "11223344\r\n7F7F7F7E\r\n";
const QByteArray kSimBytes = QByteArray::fromHex(kSimConfiguration.toLatin1());
// Long enough for a write started by mistake to have put its packet on the
// line: "+++" goes out at once, the packet 0.2 s later.
constexpr int kWriteWouldShowMs = 700;

void focusAddressList(Form1 &form, Form1Ui &ui)
{
    ui.showPage(Form1Ui::Page::Terminal);
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::mouseClick(ui.Combo4->lineEdit(), Qt::LeftButton);
    QTRY_VERIFY(ui.Combo4->hasFocus());
}

qsizetype packets(const QList<QByteArray> &writes)
{
    return std::count_if(writes.cbegin(), writes.cend(),
                         [](const QByteArray &chunk) { return chunk.size() == 12; });
}
} // namespace

class UnaskedTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void focusLeavingTheAddressListSendsNothing_data();
    void focusLeavingTheAddressListSendsNothing();
    void arrowKeysInTheAddressListWrite();
    void refusedFieldNeverHoldsCommandMode();
};

void UnaskedTest::focusLeavingTheAddressListSendsNothing_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QString>("away");

    for (const bool connected : {true, false}) {
        for (const QString away : {"Tab", "click the typing box", "close the window"}) {
            const QString row = (connected ? "connected, " : "disconnected, ") + away;
            QTest::newRow(qPrintable(row)) << connected << away;
        }
    }
}

void UnaskedTest::focusLeavingTheAddressListSendsNothing()
{
    QFETCH(bool, connected);
    QFETCH(QString, away);
    SimWindow window;
    window.fixture.writeAddressFile(kAddressFile);
    QVERIFY2(connected ? window.connect() : window.start(), qPrintable(window.failure()));
    Form1 &form = window.fixture.form();
    Form1Ui &ui = window.ui();
    // GIVEN a channel edited but not Set, and the focus in the address list
    ui.Text9->setText(QStringLiteral("20"));
    focusAddressList(form, ui);

    // WHEN the focus leaves it without a choice
    if (away == QLatin1String("Tab"))
        QTest::keyClick(ui.Combo4, Qt::Key_Tab);
    else if (away == QLatin1String("click the typing box"))
        QTest::mouseClick(ui.Text14->viewport(), Qt::LeftButton);
    else
        form.close();
    QTest::qWait(kWriteWouldShowMs);

    // THEN the modem heard nothing, the window asked nothing and closes
    // (Connecting read the configuration: "+++" and "---".)
    const QList<QByteArray> connecting =
        connected ? QList<QByteArray>{"+++", "---"} : QList<QByteArray>{};
    QCOMPARE(ModemSim::burstBytes(window.sim.rxBursts()), connecting);
    QCOMPARE(window.fixture.recorder().writes, connecting);
    QCOMPARE(window.sim.configuration(), kSimBytes);
    QCOMPARE(window.fixture.dialogs.messages, QList<RecordingDialogs::Box>());
    QCOMPARE(ui.Text9->text(), QStringLiteral("20"));
    QCOMPARE(form.isVisible(), away != QLatin1String("close the window"));
}

void UnaskedTest::arrowKeysInTheAddressListWrite()
{
    SimWindow window;
    window.fixture.writeAddressFile(kAddressFile);
    QVERIFY2(window.connect(), qPrintable(window.failure()));
    Form1Ui &ui = window.ui();
    focusAddressList(window.fixture.form(), ui);
    ui.Combo4->setCurrentIndex(0);

    // The arrow key is the user's choice of the next item, 7F7F7F7E.
    QTest::keyClick(ui.Combo4, Qt::Key_Down);

    QTRY_COMPARE_WITH_TIMEOUT(packets(window.fixture.recorder().writes), 1, 5'000);
    QTRY_COMPARE_WITH_TIMEOUT(window.sim.configuration(), kSimBytes, 5'000);
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 5'000);
}

void UnaskedTest::refusedFieldNeverHoldsCommandMode()
{
    SimWindow window;
    window.fixture.writeAddressFile("7F7F7FZZ\r\n");
    QVERIFY2(window.connect(), qPrintable(window.failure()));
    Form1Ui &ui = window.ui();
    const RecordingComm &recorder = window.fixture.recorder();
    // While the box is open, the modem is not in command mode.
    QList<QByteArray> writesWhileOpen;
    window.fixture.dialogs.whileOpen = [&] { writesWhileOpen = recorder.writes; };
    focusAddressList(window.fixture.form(), ui);
    ui.Combo4->setCurrentIndex(1);

    QTest::keyClick(ui.Combo4, Qt::Key_Up);

    QCOMPARE(window.fixture.dialogs.messages,
             (QList<RecordingDialogs::Box>{{"Invalid input (00-FF)", "Error!!"}}));
    QVERIFY(!writesWhileOpen.isEmpty());
    QCOMPARE(writesWhileOpen.constLast(), QByteArray("---"));
    // The write goes on as before, without a packet, and reads back.
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 5'000);
    QCOMPARE(packets(recorder.writes), 0);
    QCOMPARE(recorder.writes.constLast(), QByteArray("---"));
    QCOMPARE(window.sim.configuration(), kSimBytes);
}

QTEST_MAIN(UnaskedTest)
#include "tst_unasked.moc"
