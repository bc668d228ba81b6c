// SPDX-License-Identifier: GPL-3.0-or-later
// The window after start-up, its pages, and what it keeps between runs.
#include "support/app/controltexts.h"
#include "support/app/formfixture.h"

#include "shell/form1.h"
#include "shell/form1ui.h"
#include "terminal/terminalview.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

namespace {

QStringList repeated(const QString &text, int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list.append(text);
    return list;
}

QString storedValue(const QString &file, const QString &key)
{
    return QSettings(file, QSettings::IniFormat).value(key).toString();
}

const QStringList kBuiltIns{QStringLiteral("7F7F7F7F"), QStringLiteral("7F7F7F7E")};
} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstRunShowsDefaults();
    void firstTickLeavesQuestionMarks();
    void addressFileFillsList_data();
    void addressFileFillsList();
    void hugeAddressFileIsReadWhole();
    void longLinesAreLeftOutAndNamed_data();
    void longLinesAreLeftOutAndNamed();
    void unusableAddressFileStillStarts_data();
    void unusableAddressFileStillStarts();
    void storedSettingsAreRestoredUnchecked();
    void portNoCommPortCanHaveFallsBack_data();
    void portNoCommPortCanHaveFallsBack();
    void unloadWritesPortAndBaudOnly();
    void blankPortIsNotWritten();
    void unwritableSettingsAreReported();
    void tabsSwitchPages();
    void connectButtonOnEveryPage();
    void tabOrderFollowsLayout();
    void windowIsFixedAndNothingIsClipped();
};

void StartupTest::firstRunShowsDefaults()
{
    FormFixture fixture;
    QVERIFY(!QFile::exists(fixture.addressFilePath()));
    Form1 &form = fixture.start();
    const Form1Ui &ui = form.ui();

    QCOMPARE(form.windowTitle(), QStringLiteral("MIRAN Modem Utility - Version:1.0.35"));
    QVERIFY(QFile::exists(fixture.addressFilePath()));
    QCOMPARE(fixture.addressFileContent(), QByteArray());
    QVERIFY2(ui.Command6->toolTip().endsWith(QDir::toNativeSeparators(fixture.addressFilePath())),
             qPrintable(ui.Command6->toolTip()));

    // The load handler's texts stand until the first quiet-time tick.
    QCOMPARE(fieldTexts(ui),
             (repeated(QStringLiteral("7F"), 8) << QStringLiteral("107") << QStringLiteral("0")
                                                << QStringLiteral("30") << QStringLiteral("30")));
    QCOMPARE(ui.BRText->text(), QStringLiteral("0"));
    QCOMPARE(ui.Combo1->currentText(), QStringLiteral("1"));
    QCOMPARE(ui.Combo2->currentText(), QStringLiteral("38400"));
    QCOMPARE(ui.Combo4->currentText(), QStringLiteral("7F7F7F7F"));
    QCOMPARE(items(ui.Combo4), kBuiltIns);
    QCOMPARE(items(ui.Combo1).size(), 15);
    QCOMPARE(items(ui.Combo1).first(), QStringLiteral("1"));
    QCOMPARE(items(ui.Combo1).last(), QStringLiteral("15"));
    QCOMPARE(items(ui.Combo2), QStringList({"2400", "4800", "9600", "14400", "19200", "28800",
                                            "38400", "56000", "128000", "256000"}));
    QCOMPARE(ui.statusText(), QStringLiteral("Disconnected"));
    QVERIFY(ui.Text13->receivedText().isEmpty());
    QVERIFY(ui.Text14->toPlainText().isEmpty());

    QVERIFY(ui.Command7->isEnabled());
    QCOMPARE(ui.Command7->text(), QStringLiteral("Connect"));
    for (const QPushButton *button :
         {ui.Command1, ui.Command2, ui.Command3, ui.Command4, ui.Command5, ui.Command6})
        QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
    QTRY_COMPARE(QApplication::focusWidget(), ui.Command7);

    QVERIFY(form.session().termEcho());
    QCOMPARE(form.session().rxBuffer().count(), 0);
    QCOMPARE(form.session().portSetting(), QStringLiteral("1"));
}

void StartupTest::firstTickLeavesQuestionMarks()
{
    FormFixture fixture;
    Form1 &form = fixture.start();
    QVERIFY(form.session().readPending());
    QVERIFY(form.session().quietTimeRunning());

    QTRY_COMPARE(fieldTexts(form.ui()), repeated(QStringLiteral("??"), 12));
    QCOMPARE(form.ui().BRText->text(), QStringLiteral("0"));
    QVERIFY(!form.session().readPending());
    QVERIFY(!form.session().quietTimeRunning());
    // No port is open, so the pass does not enable "Set".
    QVERIFY(!form.ui().Command2->isEnabled());
}

void StartupTest::addressFileFillsList_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("three lines") << QByteArray("A\r\nB\r\nC\r\n") << QStringList{"A", "B", "C"};
    QTest::newRow("built-in address again")
        << QByteArray("7F7F7F7F\r\n") << QStringList{"7F7F7F7F"};
    QTest::newRow("empty line keeps its place")
        << QByteArray("A\r\n\r\nB\r\n") << QStringList{"A", "", "B"};
    QTest::newRow("lone CR ends a line") << QByteArray("A\rB\r") << QStringList{"A", "B"};
    QTest::newRow("lone LF stays in the line")
        << QByteArray("A\nB\r\n") << QStringList{QStringLiteral("A\nB")};
    QTest::newRow("last line unterminated") << QByteArray("A\r\nB") << QStringList{"A", "B"};
    QTest::newRow("binary bytes map one to one")
        << QByteArray("\x00\xff\x7f\r\n", 5)
        << QStringList{QString::fromLatin1(QByteArray("\x00\xff\x7f", 3))};
}

void StartupTest::addressFileFillsList()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, expected);
    FormFixture fixture;
    fixture.writeAddressFile(content);
    Form1 &form = fixture.start();

    QCOMPARE(items(form.ui().Combo4), expected + kBuiltIns);
    // Reading never changes the file.
    QCOMPARE(fixture.addressFileContent(), content);
}

void StartupTest::hugeAddressFileIsReadWhole()
{
    FormFixture fixture;
    QByteArray content;
    constexpr int kLines = 100'000;
    for (int i = 0; i < kLines; ++i)
        content += QByteArray::number(i, 16).rightJustified(8, '0') + "\r\n";
    fixture.writeAddressFile(content);
    Form1 &form = fixture.start();

    const QComboBox *combo = form.ui().Combo4;
    QCOMPARE(combo->count(), kLines + 2);
    QCOMPARE(combo->itemText(0), QStringLiteral("00000000"));
    QCOMPARE(combo->itemText(kLines - 1), QStringLiteral("0001869f"));
    QCOMPARE(combo->itemText(kLines), QStringLiteral("7F7F7F7F"));
}

void StartupTest::longLinesAreLeftOutAndNamed_data()
{
    QTest::addColumn<QList<int>>("longLines");
    QTest::addColumn<QString>("named");
    QTest::newRow("one line of 10 MB") << QList<int>{2} << "line 2.";
    QTest::newRow("one past the longest") << QList<int>{1, 3} << "lines 1, 3.";
    QTest::newRow("many") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}
                          << "lines 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 and 2 more.";
}

void StartupTest::longLinesAreLeftOutAndNamed()
{
    QFETCH(QList<int>, longLines);
    QFETCH(QString, named);
    // Lines 1 to 14; the long ones 65 characters, or 10 MB for the first row.
    const qsizetype longLength = longLines.size() == 1 ? 10 * 1024 * 1024 : 65;
    QByteArray content;
    QStringList kept;
    for (int line = 1; line <= 14; ++line) {
        const QByteArray address = QByteArray::number(line).rightJustified(8, '0');
        if (longLines.contains(line)) {
            content += QByteArray(longLength, 'F') + "\r\n";
        } else {
            content += address + "\r\n";
            kept.append(QString::fromLatin1(address));
        }
    }
    // The longest that is still taken.
    content += QByteArray(64, 'A');
    kept.append(QString(64, 'A'));
    FormFixture fixture;
    fixture.writeAddressFile(content);
    Form1 &form = fixture.start();

    QCOMPARE(items(form.ui().Combo4), kept + kBuiltIns);
    QTRY_COMPARE(fixture.dialogs.messages.size(), 1);
    const RecordingDialogs::Box box = fixture.dialogs.messages.first();
    QVERIFY2(box.prompt.contains("longer than 64 characters, which cannot be addresses: " + named),
             qPrintable(box.prompt));
    QVERIFY2(box.prompt.contains(fixture.addressFilePath()), qPrintable(box.prompt));
    QCOMPARE(box.title, QStringLiteral("MIRAN Modem Utility"));
    QCOMPARE(fixture.addressFileContent(), content);
}

void StartupTest::unusableAddressFileStillStarts_data()
{
    QTest::addColumn<QString>("blocker");
    // A folder where Address.txt should be cannot be opened as a file; a
    // program folder below a plain file cannot hold one at all. Both bite
    // also when the tests run with every permission.
    QTest::newRow("Address.txt is a folder") << QStringLiteral("folder");
    QTest::newRow("program folder cannot exist") << QStringLiteral("file");
}

void StartupTest::unusableAddressFileStillStarts()
{
    QFETCH(QString, blocker);
    FormFixture fixture;
    if (blocker == QLatin1String("folder")) {
        QVERIFY(QDir(fixture.programFolder()).mkdir(QStringLiteral("Address.txt")));
    } else {
        const QString plainFile = fixture.scratchPath(QStringLiteral("not-a-folder"));
        QFile file(plainFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        fixture.setProgramFolder(plainFile + QStringLiteral("/program"));
    }
    Form1 &form = fixture.start();

    QCOMPARE(items(form.ui().Combo4), kBuiltIns);
    QCOMPARE(form.ui().statusText(), QStringLiteral("Disconnected"));
    QVERIFY(fixture.dialogs.messages.isEmpty());
}

void StartupTest::storedSettingsAreRestoredUnchecked()
{
    FormFixture fixture;
    fixture.setSetting(QStringLiteral("Settings/Port"), QStringLiteral("16"));
    fixture.setSetting(QStringLiteral("Settings/BAUD"), QStringLiteral("9600"));
    fixture.setSetting(QStringLiteral("Settings/ADDRESS"), QStringLiteral("0000ABCD"));
    Form1 &form = fixture.start();

    // 16 is not in the list, and is shown all the same; no port opens.
    QCOMPARE(form.ui().Combo1->currentText(), QStringLiteral("16"));
    QCOMPARE(form.session().portSetting(), QStringLiteral("16"));
    QCOMPARE(form.ui().Combo2->currentText(), QStringLiteral("9600"));
    QCOMPARE(form.ui().Combo4->currentText(), QStringLiteral("0000ABCD"));
    QCOMPARE(fixture.fake().opens, 0);

    fixture.stop();
    QCOMPARE(storedValue(fixture.settingsFile(), QStringLiteral("Settings/Port")),
             QStringLiteral("16"));
}

void StartupTest::portNoCommPortCanHaveFallsBack_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("999") << "999"
                         << "1";
    QTest::newRow("0") << "0"
                       << "1";
    QTest::newRow("not a number") << "COM3"
                                  << "1";
    QTest::newRow("empty") << ""
                           << "1";
    // Beyond the list but mapped through "Ports" as any number up to 255.
    QTest::newRow("255") << "255"
                         << "255";
}

void StartupTest::portNoCommPortCanHaveFallsBack()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    FormFixture fixture;
    fixture.setSetting(QStringLiteral("Settings/Port"), stored);
    Form1 &form = fixture.start();

    QCOMPARE(form.ui().Combo1->currentText(), shown);
    QCOMPARE(form.session().portSetting(), shown);
    fixture.stop();
    QCOMPARE(storedValue(fixture.settingsFile(), QStringLiteral("Settings/Port")), shown);
}

void StartupTest::unloadWritesPortAndBaudOnly()
{
    FormFixture fixture;
    Form1 &form = fixture.start();
    form.ui().Combo1->setEditText(QStringLiteral("4"));
    form.ui().Combo2->setEditText(QStringLiteral("256000"));
    form.ui().Combo4->setCurrentIndex(1);
    fixture.stop();

    QCOMPARE(storedValue(fixture.settingsFile(), QStringLiteral("Settings/Port")),
             QStringLiteral("4"));
    QCOMPARE(storedValue(fixture.settingsFile(), QStringLiteral("Settings/BAUD")),
             QStringLiteral("256000"));
    QVERIFY(!QSettings(fixture.settingsFile(), QSettings::IniFormat)
                 .contains(QStringLiteral("Settings/ADDRESS")));

    // The next start shows the stored values, and the address default again.
    Form1 &again = fixture.start();
    QCOMPARE(again.ui().Combo1->currentText(), QStringLiteral("4"));
    QCOMPARE(again.ui().Combo2->currentText(), QStringLiteral("256000"));
    QCOMPARE(again.ui().Combo4->currentText(), QStringLiteral("7F7F7F7F"));
}

void StartupTest::blankPortIsNotWritten()
{
    FormFixture fixture;
    fixture.setSetting(QStringLiteral("Settings/Port"), QStringLiteral("9"));
    Form1 &form = fixture.start();
    form.ui().Combo1->setEditText(QStringLiteral("   "));
    form.ui().Combo2->setEditText(QString());
    fixture.stop();

    QCOMPARE(storedValue(fixture.settingsFile(), QStringLiteral("Settings/Port")),
             QStringLiteral("9"));
    QVERIFY(!QSettings(fixture.settingsFile(), QSettings::IniFormat)
                 .contains(QStringLiteral("Settings/BAUD")));
    QVERIFY(fixture.dialogs.messages.isEmpty());
}

void StartupTest::unwritableSettingsAreReported()
{
    FormFixture fixture;
    const QString plainFile = fixture.scratchPath(QStringLiteral("not-a-folder"));
    QFile file(plainFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    fixture.setSettingsFile(plainFile + QStringLiteral("/MIRAN.ini"));
    fixture.start();
    fixture.stop();

    QCOMPARE(fixture.dialogs.messages.size(), 1);
    const RecordingDialogs::Box box = fixture.dialogs.messages.first();
    QCOMPARE(box.title, QStringLiteral("Error"));
    QVERIFY2(box.prompt.startsWith(QStringLiteral("Error: The settings could not be saved")),
             qPrintable(box.prompt));
    QVERIFY(box.prompt.contains(plainFile));
}

void StartupTest::tabsSwitchPages()
{
    FormFixture fixture;
    Form1 &form = fixture.start();
    const Form1Ui &ui = form.ui();
    struct Page
    {
        QWidget *panel;
        QString caption;
    };
    const Page pages[] = {{ui.ModemPic, QStringLiteral("Modem Settings")},
                          {ui.CommsPic, QStringLiteral("Comms Setup")},
                          {ui.TermPic, QStringLiteral("Terminal")}};
    const auto expectPage = [&](int shown) {
        for (int i = 0; i < 3; ++i)
            QCOMPARE(pages[i].panel->isVisible(), i == shown);
        QCOMPARE(ui.Frame2->title(), pages[shown].caption);
    };

    expectPage(0);
    const QString texts[] = {QStringLiteral("Modem Setup"), QStringLiteral("Comms Port Setup"),
                             QStringLiteral("Terminal")};
    for (int tab : {1, 2, 2, 0, 0}) {
        QCOMPARE(ui.TabStrip1->tabText(tab), texts[tab]);
        const QRect tabRect = ui.TabStrip1->tabBar()->tabRect(tab);
        QTest::mouseClick(ui.TabStrip1->tabBar(), Qt::LeftButton, {}, tabRect.center());
        expectPage(tab);
    }
    // Controls on a hidden page keep their texts.
    QCOMPARE(ui.Combo2->currentText(), QStringLiteral("38400"));
}

void StartupTest::connectButtonOnEveryPage()
{
    FormFixture fixture;
    Form1 &form = fixture.start();
    for (int tab = 0; tab < 3; ++tab) {
        form.ui().TabStrip1->setCurrentIndex(tab);
        QVERIFY(form.ui().Command7->isVisible());
        QVERIFY(form.ui().Command7->isEnabled());
        // Nothing lies over it: a click in its middle reaches it.
        const QPoint middle = form.ui().Command7->geometry().center();
        QCOMPARE(form.childAt(middle), form.ui().Command7);
    }
}

void StartupTest::tabOrderFollowsLayout()
{
    FormFixture fixture;
    Form1 &form = fixture.start();
    const QStringList expected{"Command7", "Text1",      "Text2",      "Text3",         "Text4",
                               "Text5",    "Text6",      "Text7",      "Text8",         "Text9",
                               "Text10",   "Text11",     "Text12",     "BRText",        "Command2",
                               "Command3", "SaveConfig", "OpenConfig", "CompareConfig", "TabStrip1",
                               "Command6", "Combo4",     "Command5",   "Command4",      "Command1",
                               "Text14",   "Text13",     "Combo2",     "Combo1"};
    QStringList chain;
    QWidget *widget = form.ui().Command7;
    do {
        if (expected.contains(widget->objectName()) && !chain.contains(widget->objectName()))
            chain.append(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != form.ui().Command7);
    QCOMPARE(chain, expected);
}

void StartupTest::windowIsFixedAndNothingIsClipped()
{
    FormFixture fixture;
    Form1 &form = fixture.start();
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!form.windowIcon().isNull());

    for (int tab = 0; tab < 3; ++tab) {
        form.ui().TabStrip1->setCurrentIndex(tab);
        for (const QLabel *label : form.findChildren<QLabel *>()) {
            if (!label->isVisible() || label->text().isEmpty() || label == form.ui().StatusPanel1)
                continue;
            const QFontMetrics metrics(label->font());
            const QStringList lines = label->text().split(QLatin1Char('\n'));
            for (const QString &line : lines)
                QVERIFY2(metrics.horizontalAdvance(line) <= label->width(),
                         qPrintable(label->objectName() + QStringLiteral(": ") + line));
            const int height = metrics.height() + metrics.lineSpacing() * int(lines.size() - 1);
            QVERIFY2(height <= label->height() + 1, qPrintable(label->objectName()));
        }
        for (const QPushButton *button : form.findChildren<QPushButton *>()) {
            if (!button->isVisible())
                continue;
            const QFontMetrics metrics(button->font());
            QVERIFY2(metrics.horizontalAdvance(button->text()) < button->width(),
                     qPrintable(button->objectName()));
        }
    }
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
