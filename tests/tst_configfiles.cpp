// SPDX-License-Identifier: GPL-3.0-or-later
// Save…, Open… and Compare… on the Modem Setup page, against the simulated
// modem and miran-cli itself: what miran-cli printed opens without a byte to
// the modem and Set writes it, a saved file is one miran-cli writes and prints
// back unchanged, bad files and fields are reported with the fields left as
// they were, and a comparison marks exactly the fields that differ.
#include "support/app/controltexts.h"
#include "support/app/simwindow.h"
#include "support/sim/cliprogram.h"

#include "shell/form1.h"
#include "shell/form1ui.h"
#include "shell/toolkit.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
// Answers a file dialog with the path queued, as a user choosing it; an
// empty queue answers as Cancel.
class QueuedChooser final : public ConfigFileChooser
{
public:
    QString chooseConfigFile(QWidget *, Purpose, const QString &folder) override
    {
        folders.append(folder);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QStringList answers;
    QStringList folders;
};

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// The marked fields, told by their underline: the cue that does not rest on colour.
QList<int> markedFields(const Form1Ui &ui)
{
    QList<int> marked;
    for (int i = 0; i < ModemConfig::kByteCount; ++i) {
        if (ui.configFields().at(static_cast<size_t>(i))->font().underline())
            marked.append(i);
    }
    return marked;
}

// The window connected to a simulated modem, its file dialogs answered by a
// queue, and miran-cli beside it.
struct FileWindow
{
    explicit FileWindow(const QStringList &simArguments = {})
        : window(simArguments)
    {}

    bool connect()
    {
        const bool connected = window.connect();
        if (connected)
            window.fixture.form().configFiles().setChooser(&chooser);
        return connected;
    }
    CliRun cli(const QStringList &arguments) const
    {
        return program.run(QStringList(arguments) << "--device" << window.sim.linkPath());
    }
    // A file of what "miran-cli read --json" printed, with the port free.
    QString printed(const QString &name = "modem.json")
    {
        const QString path = window.fixture.scratchPath(name);
        writeFile(path, cli({"read", "--json"}).out.toUtf8());
        return path;
    }
    void click(QPushButton *button, const QString &answer)
    {
        chooser.answers = {answer};
        QTest::mouseClick(button, Qt::LeftButton);
    }
    Form1Ui &ui() { return window.ui(); }
    QList<RecordingDialogs::Box> &boxes() { return window.fixture.dialogs.messages; }

    SimWindow window;
    QueuedChooser chooser;
    CliProgram program;
};
} // namespace

class ConfigFilesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The program's own style and font, which the page is laid out for.
    void initTestCase() { Toolkit::prepare(); }
    void openSendsNothingAndSetWritesIt();
    void savedFileGoesThroughMiranCli();
    void badFilesLeaveTheFields_data();
    void badFilesLeaveTheFields();
    void compareMarksExactlyTheDifferingFields();
    void buttonsFollowRefreshAndOverlapNothing();
};

void ConfigFilesTest::openSendsNothingAndSetWritesIt()
{
    // A modem that clamps the channel, so a Set leaves a mark to clear.
    FileWindow files({"--clamp", "channel=0-50"});
    QJsonObject object = QJsonDocument::fromJson(contentOf(files.printed())).object();
    QVERIFY2(files.connect(), qPrintable(files.window.failure()));
    Form1Ui &ui = files.ui();
    ui.Text9->setText("100");
    QTest::mouseClick(ui.Command2, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(markedFields(ui), QList<int>{8}, 10'000);

    // GIVEN the printed object changed as several devices' output carries
    // it, with "device" and without "bytes", over several lines
    object.remove("bytes");
    object.insert("device", files.window.sim.linkPath());
    object.insert("destination", "01020304");
    object.insert("rxSize", 200);
    const QString file = files.window.fixture.scratchPath("changed.json");
    QVERIFY(writeFile(file, QJsonDocument(object).toJson()));
    files.window.fixture.recorder().writes.clear();
    const qsizetype logged = files.window.sim.log().size();
    files.click(ui.OpenConfig, QString());
    files.click(ui.OpenConfig, file);

    // THEN the fields show it, unmarked, and the modem heard nothing
    const QStringList opened{"1", "2", "3", "4", "A", "1", "FF", "5", "10", "3", "30", "200"};
    QCOMPARE(fieldTexts(ui), opened);
    QCOMPARE(markedFields(ui), QList<int>());
    QTest::qWait(700);
    QCOMPARE(files.window.fixture.recorder().writes, QList<QByteArray>());
    QCOMPARE(files.window.sim.rxBursts(logged).size(), 0);
    // The Cancel before left the folder; the choice set it.
    QCOMPARE(files.chooser.folders.at(0), files.chooser.folders.at(1));
    QCOMPARE(files.window.fixture.form().configFiles().folder(), QFileInfo(file).absolutePath());

    // WHEN Set is pressed THEN the modem holds the file's values
    QTest::mouseClick(ui.Command2, Qt::LeftButton);
    QCOMPARE(files.window.sim.configuration(), QByteArray::fromHex("010203040A01FF050A031EC8"));
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), opened, 10'000);
}

void ConfigFilesTest::savedFileGoesThroughMiranCli()
{
    FileWindow files;
    QVERIFY2(files.connect(), qPrintable(files.window.failure()));
    Form1Ui &ui = files.ui();
    const QString file = files.window.fixture.scratchPath("saved.json");
    // A field that cannot be read is named, and nothing is written.
    setFields(ui, {"12", "34", "56", "78", "9a", "BC", "DE", "F0", "300", "2", "64", "100"});
    files.click(ui.SaveConfig, file);
    QCOMPARE(files.boxes().size(), 1);
    QVERIFY2(files.boxes().at(0).prompt.contains("RF Channel"),
             qPrintable(files.boxes()[0].prompt));
    QVERIFY(!QFile::exists(file));

    // Lower case and a leading zero: the file holds the values, not the texts.
    ui.Text9->setText("020");
    files.click(ui.SaveConfig, file);
    const QByteArray saved = contentOf(file);
    QVERIFY(saved.endsWith('\n') && saved.count('\n') == 1);
    QTest::mouseClick(ui.Command7, Qt::LeftButton);
    QTRY_COMPARE(ui.Command7->text(), QStringLiteral("Connect"));
    const CliRun write = files.cli({"write", "--from", file});
    QVERIFY2(write.code == 0, qPrintable(write.err));
    QCOMPARE(files.window.sim.configuration(), QByteArray::fromHex("123456789ABCDEF014024064"));
    QCOMPARE(contentOf(files.printed()), saved);

    // A file that cannot be written (its folder is a file) is reported.
    files.click(ui.SaveConfig, file + "/modem.json");
    QCOMPARE(files.boxes().size(), 2);
    QVERIFY(files.boxes().at(1).prompt.contains(file + "/modem.json"));
    QCOMPARE(contentOf(file), saved);
}

void ConfigFilesTest::badFilesLeaveTheFields_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("told");
    QTest::newRow("not JSON") << QByteArray("destination 7F7F7F7E\n")
                              << QStringList{"line 1", "not JSON"};
    QTest::newRow("bad value on line 3")
        << QByteArray("{\n  \"destination\": \"7F7F7F7E\",\n  \"channel\": 256,\n"
                      "  \"module\": \"0A01FF05\", \"power\": 3, \"txSize\": 30, \"rxSize\": 30\n}")
        << QStringList{"line 3", "\"channel\""};
    QTest::newRow("missing key")
        << QByteArray("{\n  \"destination\": \"7F7F7F7E\",\n  \"module\": \"0A01FF05\",\n"
                      "  \"channel\": 10, \"txSize\": 30, \"rxSize\": 30\n}\n")
        << QStringList{"\"power\"", "missing"};
    QTest::newRow("no file") << QByteArray() << QStringList{"could not be opened"};
}

void ConfigFilesTest::badFilesLeaveTheFields()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, told);
    FileWindow files;
    QVERIFY2(files.connect(), qPrintable(files.window.failure()));
    const QString file = files.window.fixture.scratchPath("bad.json");
    QVERIFY(content.isEmpty() || writeFile(file, content));

    for (QPushButton *button : {files.ui().OpenConfig, files.ui().CompareConfig})
        files.click(button, file);

    QCOMPARE(files.boxes().size(), 2);
    for (const QString &part : told << file)
        QVERIFY2(files.boxes().at(0).prompt.contains(part), qPrintable(files.boxes()[0].prompt));
    QCOMPARE(files.boxes().at(1), files.boxes().at(0));
    QCOMPARE(fieldTexts(files.ui()), kSimConfigurationFields);
    QCOMPARE(markedFields(files.ui()), QList<int>());
}

void ConfigFilesTest::compareMarksExactlyTheDifferingFields()
{
    FileWindow files;
    const QString file = files.printed();
    QVERIFY2(files.connect(), qPrintable(files.window.failure()));
    Form1Ui &ui = files.ui();
    files.click(ui.CompareConfig, file);
    QCOMPARE(markedFields(ui), QList<int>());
    QCOMPARE(ui.statusText(), QStringLiteral("Compared with modem.json: no field differs"));

    ui.Text4->setText("7F");
    ui.Text10->setText("2");
    files.click(ui.CompareConfig, file);
    QCOMPARE(markedFields(ui), (QList<int>{3, 9}));
    QCOMPARE(ui.Text4->accessibleDescription(), QStringLiteral("0-FF Hex; here 7F, file has 7E"));
    QCOMPARE(ui.Text10->accessibleDescription(),
             QStringLiteral("Decimal (0-3); here 2, file has 3"));
    QCOMPARE(ui.statusText(), QStringLiteral("Compared with modem.json: 2 fields differ"));

    // A field the window cannot read is named, and the marks stay.
    ui.Text1->setText("GG");
    files.click(ui.CompareConfig, file);
    QCOMPARE(files.boxes().size(), 1);
    QVERIFY(files.boxes().at(0).prompt.contains("Destination Address byte 1"));
    QCOMPARE(markedFields(ui), (QList<int>{3, 9}));

    // Compared again, a field put back loses its mark.
    setFields(ui, kSimConfigurationFields.mid(0, 9) << "2"
                                                    << "30"
                                                    << "30");
    files.click(ui.CompareConfig, file);
    QCOMPARE(markedFields(ui), QList<int>{9});
}

void ConfigFilesTest::buttonsFollowRefreshAndOverlapNothing()
{
    FormFixture fixture;
    Form1Ui &ui = fixture.start().ui();
    QWidget *widget = ui.Command3;
    for (QPushButton *button : {ui.SaveConfig, ui.OpenConfig, ui.CompareConfig}) {
        widget = widget->nextInFocusChain();
        QCOMPARE(widget, button);
        QCOMPARE(button->font(), ui.Command2->font());
        QVERIFY(ui.ModemPic->rect().contains(button->geometry()));
        for (const QWidget *other :
             ui.ModemPic->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            QVERIFY2(other == button || !other->geometry().intersects(button->geometry()),
                     qPrintable(button->objectName() + " overlaps " + other->objectName()));
    }
    QCOMPARE(widget->nextInFocusChain(), ui.TabStrip1);
}

QTEST_MAIN(ConfigFilesTest)
#include "tst_configfiles.moc"
