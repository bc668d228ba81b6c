// SPDX-License-Identifier: GPL-3.0-or-later
// "Find Modem", the device mapping and the confirmed Set, through the window
// over the real serial component against the simulated modem.
#include "support/app/controltexts.h"
#include "support/app/formfixture.h"
#include "support/sim/modemsim.h"

#include "modem/modemscan.h"
#include "shell/commspage.h"
#include "shell/form1.h"
#include "shell/form1ui.h"
#include "system/application.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

namespace {
// What a screen reader reads as a control's name.
QString readerHears(QWidget *widget)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QStringLiteral("<no interface>");
}

const QString kComplete = QStringLiteral("Request Complete");
const QString kAllRates = QStringLiteral("38400, 9600, 19200, 2400, 4800, 14400, 28800, 56000, "
                                         "128000 or 256000");

Form1Ui &startOn(FormFixture &fixture, const QString &device)
{
    fixture.setSetting(QStringLiteral("Ports/1"), device);
    Form1Ui &ui = fixture.start().ui();
    ui.showPage(Form1Ui::Page::CommsPortSetup);
    return ui;
}

// Every "+++" the program wrote is followed by its "---", and nothing else
// comes between them.
bool everyEntryLeft(const ModemSim &sim, QString &problem)
{
    const QList<QByteArray> bursts = ModemSim::burstBytes(sim.rxBursts());
    for (qsizetype i = 0; i < bursts.size(); ++i) {
        if (bursts[i] != "+++")
            continue;
        if (i + 1 >= bursts.size() || bursts[i + 1] != "---") {
            problem = QStringLiteral("burst %1 of %2: \"+++\" not followed by \"---\"")
                          .arg(i)
                          .arg(bursts.size());
            return false;
        }
    }
    return true;
}

qsizetype entries(const ModemSim &sim)
{
    return ModemSim::burstBytes(sim.rxBursts()).count("+++");
}
} // namespace

class FindModemTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findsTheRate_data();
    void findsTheRate();
    void cancels();
    void nothingAnswers_data();
    void nothingAnswers();
    void mappingIsWrittenAndSurvivesARestart();
    void setMarksWhatTheModemDidNotTake_data();
    void setMarksWhatTheModemDidNotTake();
};

void FindModemTest::findsTheRate_data()
{
    QTest::addColumn<QString>("rate");
    // Tried third, second to the likeliest rates.
    QTest::newRow("9600") << "9600";
    // Tried last, a rate outside the standard set.
    QTest::newRow("256000") << "256000";
}

void FindModemTest::findsTheRate()
{
    QFETCH(QString, rate);
    ModemSim sim({QStringLiteral("--config"), kSimConfiguration, QStringLiteral("--baud"), rate});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorString()));
    FormFixture fixture(FormFixture::Link::Serial);
    Form1Ui &ui = startOn(fixture, sim.linkPath());
    QTRY_COMPARE(fieldTexts(ui), kUnreadFields);
    QCOMPARE(ui.Combo2->currentText(), QStringLiteral("38400"));
    QSignalSpy trying(&fixture.form().commsPage().scan(), &ModemScan::trying);
    QVERIFY(trying.isValid());

    QElapsedTimer elapsed;
    elapsed.start();
    ui.FindModem->click();
    qInfo("scan and connect took %lld ms over %lld tries", elapsed.elapsed(),
          static_cast<long long>(trying.size()));

    // THEN the window shows the rate and is connected there by the normal read-back
    QCOMPARE(ui.Combo2->currentText(), rate);
    QCOMPARE(ui.Combo1->currentText(), QStringLiteral("1"));
    QCOMPARE(ui.Command7->text(), QStringLiteral("Disconnect"));
    QCOMPARE(ui.statusText(), kComplete);
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 10'000);
    QVERIFY(fixture.dialogs.messages.isEmpty());
    QCOMPARE(trying.last().at(1).toString(), rate);
    QVERIFY(ui.ScanStatus->text().contains(rate));
    QVERIFY(readerHears(ui.ScanStatus).contains(rate));
    QVERIFY(ui.FindModem->isEnabled());
    QVERIFY(ui.ScanCancel->isHidden());

    QString problem;
    QTRY_VERIFY2(everyEntryLeft(sim, problem), qPrintable(problem));
    // One entry per rate tried, and one more for the read-back of the connect.
    QTRY_COMPARE(entries(sim), trying.size() + 1);
}

void FindModemTest::cancels()
{
    ModemSim sim({QStringLiteral("--config"), kSimConfiguration, QStringLiteral("--baud"),
                  QStringLiteral("256000")});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorString()));
    FormFixture fixture(FormFixture::Link::Serial);
    Form1Ui &ui = startOn(fixture, sim.linkPath());
    QTRY_COMPARE(fieldTexts(ui), kUnreadFields);
    ModemScan &scan = fixture.form().commsPage().scan();
    // WHEN the user presses Cancel while the third rate is tried
    connect(&scan, &ModemScan::trying, this, [&ui](const QString &, const QString &, int attempt) {
        QVERIFY(ui.ScanCancel->isVisible());
        QVERIFY(!ui.FindModem->isEnabled());
        if (attempt == 3)
            ui.ScanCancel->click();
    });

    ui.FindModem->click();

    // THEN the try under way ends, no other follows, and the state is as before
    QCOMPARE(ui.ScanStatus->text(), QStringLiteral("Find Modem was cancelled."));
    QCOMPARE(readerHears(ui.ScanStatus), ui.ScanStatus->text());
    QCOMPARE(ui.Combo2->currentText(), QStringLiteral("38400"));
    QCOMPARE(ui.Command7->text(), QStringLiteral("Connect"));
    QCOMPARE(fieldTexts(ui), kUnreadFields);
    QVERIFY(fixture.dialogs.messages.isEmpty());
    QVERIFY(ui.FindModem->isEnabled());
    QString problem;
    QTRY_VERIFY2(everyEntryLeft(sim, problem), qPrintable(problem));
    QTRY_COMPARE(entries(sim), 3);
}

void FindModemTest::nothingAnswers_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("message");

    QTest::newRow("modem that answers nothing")
        << QStringList{QStringLiteral("--no-answer")} << true
        << QStringLiteral("No modem answered on %1 at ") + kAllRates + QStringLiteral(" baud.");
    QTest::newRow("no device at all")
        << QStringList{} << false << QStringLiteral("%1: There is no device %1.");
}

void FindModemTest::nothingAnswers()
{
    QFETCH(QStringList, options);
    QFETCH(bool, present);
    QFETCH(QString, message);
    ModemSim sim(QStringList{QStringLiteral("--config"), kSimConfiguration} + options);
    QVERIFY2(sim.isReady(), qPrintable(sim.errorString()));
    FormFixture fixture(FormFixture::Link::Serial);
    const QString device =
        present ? sim.linkPath() : fixture.scratchPath(QStringLiteral("unplugged"));
    Form1Ui &ui = startOn(fixture, device);
    QTRY_COMPARE(fieldTexts(ui), kUnreadFields);
    ui.Text9->setText(QStringLiteral("12"));
    const QStringList before = fieldTexts(ui);

    ui.FindModem->click();

    // THEN one box says which device and rates were tried, and nothing changed
    QCOMPARE(fixture.dialogs.messages.size(), 1);
    QCOMPARE(fixture.dialogs.messages[0].title, Application::title());
    QVERIFY2(fixture.dialogs.messages[0].prompt.startsWith(message.arg(device)),
             qPrintable(fixture.dialogs.messages[0].prompt));
    QCOMPARE(ui.ScanStatus->text(), QStringLiteral("No modem found."));
    // A reader hears the line as it is now, not the last try's text.
    QCOMPARE(readerHears(ui.ScanStatus), ui.ScanStatus->text());
    QVERIFY(ui.ScanStatus->toolTip().isEmpty());
    QCOMPARE(ui.Combo2->currentText(), QStringLiteral("38400"));
    QCOMPARE(ui.Command7->text(), QStringLiteral("Connect"));
    QCOMPARE(ui.currentPage(), Form1Ui::Page::CommsPortSetup);
    QCOMPARE(fieldTexts(ui), before);
    QString problem;
    QTRY_VERIFY2(everyEntryLeft(sim, problem), qPrintable(problem));
}

void FindModemTest::mappingIsWrittenAndSurvivesARestart()
{
    ModemSim sim({QStringLiteral("--config"), kSimConfiguration});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorString()));
    FormFixture fixture(FormFixture::Link::Serial);
    Form1Ui &ui = fixture.start().ui();
    ui.showPage(Form1Ui::Page::CommsPortSetup);
    QVERIFY(ui.DeviceLine->text().contains(QStringLiteral("does not exist")) ||
            ui.DeviceLine->text().startsWith(QStringLiteral("Comm port 1 is /dev/ttyS0")));

    // WHEN the user chooses the simulator's device for comm port 1
    const int index = ui.DeviceList->findData(sim.device());
    QVERIFY2(index >= 0, qPrintable(items(ui.DeviceList).join(QLatin1Char('|'))));
    ui.DeviceList->setCurrentIndex(index);
    Q_EMIT ui.DeviceList->activated(index);

    // THEN the settings file maps it, and the line shows it
    QCOMPARE(QSettings(fixture.settingsFile(), QSettings::IniFormat)
                 .value(QStringLiteral("Ports/1"))
                 .toString(),
             sim.device());
    QCOMPARE(ui.DeviceLine->text(),
             QStringLiteral("Comm port 1 is %1\npseudo-terminal").arg(sim.device()));

    // AND after a restart the number still maps there and connects
    fixture.stop();
    Form1Ui &again = fixture.start().ui();
    again.showPage(Form1Ui::Page::CommsPortSetup);
    QCOMPARE(again.DeviceList->currentData().toString(), sim.device());
    QTRY_COMPARE(fieldTexts(again), kUnreadFields);
    again.Command7->click();
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(again), kSimConfigurationFields, 10'000);
}

void FindModemTest::setMarksWhatTheModemDidNotTake_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("power");
    QTest::addColumn<QString>("reported");
    QTest::addColumn<QString>("status");

    QTest::newRow("clamped") << QStringList{"--clamp", "power=0-3"} << "5"
                             << "3"
                             << kComplete + QStringLiteral(" - 1 field not taken by the modem");
    QTest::newRow("refused") << QStringList{"--refuse", "power=0-3"} << "7"
                             << "3"
                             << kComplete + QStringLiteral(" - 1 field not taken by the modem");
    QTest::newRow("taken entirely") << QStringList{"--clamp", "power=0-3"} << "2"
                                    << "2" << kComplete;
}

void FindModemTest::setMarksWhatTheModemDidNotTake()
{
    QFETCH(QStringList, options);
    QFETCH(QString, power);
    QFETCH(QString, reported);
    QFETCH(QString, status);
    ModemSim sim(QStringList{QStringLiteral("--config"), kSimConfiguration} + options);
    QVERIFY2(sim.isReady(), qPrintable(sim.errorString()));
    FormFixture fixture(FormFixture::Link::Serial);
    fixture.setSetting(QStringLiteral("Ports/1"), sim.linkPath());
    Form1Ui &ui = fixture.start().ui();
    QTRY_COMPARE(fieldTexts(ui), kUnreadFields);
    ui.Command7->click();
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 10'000);
    const QPalette plain = ui.Text9->palette();
    const QFont plainFont = ui.Text10->font();
    const QString range = ui.Text10->accessibleDescription();
    QVERIFY(!range.isEmpty());

    // WHEN the user sets a Tx Power and a new channel
    ui.Text10->setText(power);
    ui.Text9->setText(QStringLiteral("20"));
    ui.Command2->click();

    // THEN only Tx Power can differ, and is marked exactly when it does
    QStringList expected = kSimConfigurationFields;
    expected[8] = QStringLiteral("20");
    expected[9] = reported;
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), expected, 10'000);
    QTRY_COMPARE(ui.statusText(), status);
    const bool marked = reported != power;
    const QString mark = QStringLiteral("sent %1, modem reports %2").arg(power, reported);
    QCOMPARE(ui.Text10->toolTip(), marked ? mark : QString());
    // A reader hears the mark after the range; the eye sees more than colour.
    QCOMPARE(ui.Text10->accessibleDescription(), marked ? range + u"; " + mark : range);
    QCOMPARE(ui.Text10->palette().color(QPalette::Text) != plain.color(QPalette::Text), marked);
    QCOMPARE(ui.Text10->font().underline(), marked);
    for (QLineEdit *field : ui.configFields()) {
        if (field == ui.Text10)
            continue;
        QVERIFY2(field->toolTip().isEmpty(), qPrintable(field->objectName()));
        QCOMPARE(field->palette().color(QPalette::Text), plain.color(QPalette::Text));
        QVERIFY(!field->font().underline());
    }

    // AND editing the field takes the mark away
    QTest::keyClicks(ui.Text10, QStringLiteral("1"));
    QVERIFY(ui.Text10->toolTip().isEmpty());
    QCOMPARE(ui.Text10->accessibleDescription(), range);
    QCOMPARE(ui.Text10->palette().color(QPalette::Text), plain.color(QPalette::Text));
    QCOMPARE(ui.Text10->font(), plainFont);
}

QTEST_MAIN(FindModemTest)
#include "tst_findmodem.moc"
