// SPDX-License-Identifier: GPL-3.0-or-later
// The window over the real serial component against the simulated modem:
// reading the configuration, writing it, and what odd answers do.
#include "support/app/controltexts.h"
#include "support/app/formfixture.h"
#include "support/app/simwindow.h"

#include "serial/mscomm.h"
#include "shell/form1.h"
#include "shell/form1ui.h"
#include "system/application.h"
#include "system/failure.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>

namespace {
const QString kComplete = QStringLiteral("Request Complete");
const QString kNoResponse = QStringLiteral("No Response from Modem. Check Comms Port & Baud rate");
// How late the simulator may stamp a chunk it was slow to read.
constexpr double kReadJitter = 0.015;

// The first count fields of the configuration, "??" for the rest.
QStringList firstFields(qsizetype count)
{
    return kSimConfigurationFields.first(count) + kUnreadFields.sliced(count);
}

void click(QPushButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

QByteArray sentBytes(const QList<ModemSim::Entry> &log)
{
    QByteArray bytes;
    for (const ModemSim::Entry &entry : log) {
        if (entry.event == QLatin1String("TX"))
            bytes += entry.bytes;
    }
    return bytes;
}

bool logged(const QList<ModemSim::Entry> &log, const QString &event)
{
    return std::any_of(log.cbegin(), log.cend(),
                       [&event](const ModemSim::Entry &entry) { return entry.event == event; });
}
} // namespace

class EndToEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void connectReadsConfiguration();
    void setWritesEditedFields();
    void setOnTheWire();
    void oddAnswers_data();
    void oddAnswers();
    void setWithPortClosedIsReported();
};

void EndToEndTest::connectReadsConfiguration()
{
    SimWindow window;
    QVERIFY2(window.start(), qPrintable(window.failure()));
    Form1Ui &ui = window.ui();

    click(ui.Command7);
    QCOMPARE(ui.Command7->text(), QStringLiteral("Disconnect"));
    QCOMPARE(ui.statusText(), kComplete);
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 10'000);
    QCOMPARE(ui.BRText->text(), QStringLiteral("12"));
    QVERIFY(ui.Command2->isEnabled());
    QVERIFY(ui.Command3->isEnabled());
    QVERIFY(window.fixture.dialogs.messages.isEmpty());

    // The request on the line: command mode entered and left 0.1 s later.
    QTRY_COMPARE(ModemSim::burstBytes(window.sim.rxBursts()), (QList<QByteArray>{"+++", "---"}));
    const QList<ModemSim::Burst> bursts = window.sim.rxBursts();
    QVERIFY2(bursts[1].seconds - bursts[0].seconds > 0.1 - kReadJitter,
             qPrintable(QString::number(bursts[1].seconds - bursts[0].seconds)));
}

void EndToEndTest::setWritesEditedFields()
{
    SimWindow window;
    QVERIFY2(window.connect(), qPrintable(window.failure()));
    Form1Ui &ui = window.ui();
    ModemSim &sim = window.sim;
    FormFixture &fixture = window.fixture;

    // WHEN the user changes the channel and the first module byte and sets
    ui.Text9->setText(QStringLiteral("20"));
    ui.Text5->setText(QStringLiteral("1"));
    click(ui.Command2);

    // THEN the modem holds them, and the read-back at the end shows them
    const QByteArray written = QByteArray::fromHex("7F7F7F7E0101FF0514031E1E");
    QCOMPARE(sim.configuration(), written);
    QCOMPARE(ui.statusText(), kComplete);
    QStringList expected = kSimConfigurationFields;
    expected[4] = QStringLiteral("1");
    expected[8] = QStringLiteral("20");
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), expected, 10'000);
    QVERIFY(fixture.dialogs.messages.isEmpty());
}

void EndToEndTest::setOnTheWire()
{
    SimWindow window;
    QVERIFY2(window.connect(), qPrintable(window.failure()));
    Form1Ui &ui = window.ui();
    ModemSim &sim = window.sim;
    QTRY_COMPARE(sim.rxBursts().size(), 2);
    const qsizetype before = sim.log().size();

    click(ui.Command2);

    // Exactly these writes, in order: the modem's answers are TX, not RX.
    const QByteArray packet = QByteArray::fromHex(kSimConfiguration.toLatin1());
    QTRY_COMPARE(ModemSim::burstBytes(sim.rxBursts(before)),
                 (QList<QByteArray>{"+++", packet, "---", "+++", "---"}));
    const QList<ModemSim::Burst> bursts = sim.rxBursts(before);
    const double leastGaps[] = {0.2, 0.2, 0.5, 0.1};
    for (int i = 0; i < 4; ++i) {
        const double gap = bursts[i + 1].seconds - bursts[i].seconds;
        QVERIFY2(gap > leastGaps[i] - kReadJitter,
                 qPrintable(QStringLiteral("gap %1: %2 s").arg(i + 1).arg(gap)));
    }
}

void EndToEndTest::oddAnswers_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("received");
    QTest::addColumn<bool>("setEnabled");
    // What the modem puts on the line, and an event that shows it saw the request.
    QTest::addColumn<int>("sent");
    QTest::addColumn<QString>("event");

    QTest::newRow("no answer") << QStringList{"--no-answer"} << kNoResponse << kUnreadFields << "0"
                               << false << 0 << "MODE";
    // Too late for the request, not for the decoder: it still waits for a reply.
    QTest::newRow("late answer") << QStringList{"--answer-delay", "300"} << kNoResponse
                                 << kSimConfigurationFields << "12" << true << 12 << "MODE";
    QTest::newRow("short answer") << QStringList{"--answer-length", "5"} << kComplete
                                  << firstFields(5) << "5" << true << 5 << "MODE";
    QTest::newRow("long answer") << QStringList{"--answer-length", "20"} << kComplete
                                 << kSimConfigurationFields << "20" << true << 20 << "MODE";
    QTest::newRow("gap under quiet time")
        << QStringList{"--split", "4:50"} << kComplete << kSimConfigurationFields << "12" << true
        << 12 << "MODE";
    // The first four bytes are a reply of their own; the other eight only count.
    QTest::newRow("gap over quiet time") << QStringList{"--split", "4:150"} << kComplete
                                         << firstFields(4) << "8" << true << 12 << "MODE";
    // The modem cannot read the request at all, so it never answers.
    QTest::newRow("modem at another baud rate") << QStringList{"--baud", "9600"} << kNoResponse
                                                << kUnreadFields << "0" << false << 0 << "GARBLED";
}

void EndToEndTest::oddAnswers()
{
    QFETCH(QStringList, options);
    QFETCH(QString, status);
    QFETCH(QStringList, fields);
    QFETCH(QString, received);
    QFETCH(bool, setEnabled);
    QFETCH(int, sent);
    QFETCH(QString, event);
    SimWindow window(options);
    QVERIFY2(window.start(), qPrintable(window.failure()));
    Form1Ui &ui = window.ui();
    const ModemSim &sim = window.sim;

    click(ui.Command7);
    QCOMPARE(ui.statusText(), status);
    QTRY_VERIFY_WITH_TIMEOUT(logged(sim.log(), event), 10'000);
    QTRY_COMPARE_WITH_TIMEOUT(sentBytes(sim.log()).size(), sent, 10'000);
    QTRY_COMPARE_WITH_TIMEOUT(ui.BRText->text(), received, 10'000);
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), fields, 10'000);
    QCOMPARE(ui.Command2->isEnabled(), setEnabled);
    // Whatever came late leaves the request's verdict alone.
    QCOMPARE(ui.statusText(), status);
    QCOMPARE(ui.Command7->text(), QStringLiteral("Disconnect"));
    QVERIFY(window.fixture.dialogs.messages.isEmpty());
}

void EndToEndTest::setWithPortClosedIsReported()
{
    // GIVEN a configuration read, then the port closed again
    SimWindow window;
    QVERIFY2(window.connect(), qPrintable(window.failure()));
    Form1Ui &ui = window.ui();
    ModemSim &sim = window.sim;
    FormFixture &fixture = window.fixture;
    click(ui.Command7);
    QCOMPARE(ui.statusText(), QStringLiteral("Disconnected"));
    QTRY_COMPARE(sim.rxBursts().size(), 2);
    const qsizetype before = sim.log().size();

    // WHEN the user picks a destination address, which sets the configuration
    ui.Combo4->setCurrentIndex(0);
    Q_EMIT ui.Combo4->activated(0);

    // THEN the component's refusal is shown, and nothing reaches the modem
    QString notOpen;
    try {
        fixture.serial().setOutput(QStringLiteral("x"));
    } catch (const Failure &failure) {
        QCOMPARE(failure.number(), FailureNumber::PortNotOpen);
        notOpen = failure.description();
    }
    QVERIFY(!notOpen.isEmpty());
    QCOMPARE(fixture.dialogs.messages,
             (QList<RecordingDialogs::Box>{{"Error!! " + notOpen, Application::title()}}));
    QCOMPARE(ui.statusText(), kNoResponse);
    QCOMPARE(fieldTexts(ui), kUnreadFields);
    QVERIFY(!ui.Command2->isEnabled());
    QVERIFY(sim.rxBursts(before).isEmpty());
}

QTEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
