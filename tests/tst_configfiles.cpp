// Save…, Open… and Compare… on the Modem Setup page, against the simulated
// modem and miran-cli itself: a file miran-cli printed opens without a byte
// to the modem, Set then writes it, a saved file is one miran-cli writes and
// prints back unchanged, bad files and fields are reported with the fields
// left as they were, and a comparison marks exactly the fields that differ.
#include "support/cliprogram.h"
#include "support/controltexts.h"
#include "support/simwindow.h"

#include "shell/configfiles.h"
#include "shell/form1.h"
#include "shell/form1ui.h"
#include "shell/toolkit.h"
#include "widgets/configfilechooser.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
// How long a byte the program wrongly sent would take to show in the
// simulator's log.
constexpr int kWriteWouldShowMs = 700;

// Answers the file dialogs with the queued paths, as a user choosing them;
// an empty queue answers as Cancel.
class QueuedChooser final : public ConfigFileChooser
{
public:
    QString chooseConfigFile(QWidget *, Purpose purpose, const QString &folder) override
    {
        asked.append({purpose, folder});
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }

    QStringList answers;
    QList<std::pair<Purpose, QString>> asked;
};

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

// The marked fields, told by their underline: the cue that does not rest on colour.
QList<int> markedFields(const Form1Ui &ui)
{
    QList<int> marked;
    const auto fields = ui.configFields();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i]->font().underline())
            marked.append(static_cast<int>(i));
    }
    return marked;
}

// The window on the fake serial component, once its start-up pass has shown
// "??", with the load's values put back into the fields.
Form1 &startedForm(FormFixture &fixture, QueuedChooser &chooser)
{
    Form1 &form = fixture.start();
    if (!QTest::qWaitFor([&form] { return fieldTexts(form.ui()) == kUnreadFields; }))
        qWarning("The start-up pass never showed \"??\"");
    setFields(form.ui(), kSimConfigurationFields);
    form.configFiles().setChooser(&chooser);
    return form;
}

// What "miran-cli read --json" prints for the simulated modem.
QByteArray cliRead(const CliProgram &cli, const ModemSim &sim)
{
    const CliRun run = cli.run({"read", "--device", sim.linkPath(), "--json"});
    if (run.code != 0)
        qWarning("miran-cli read: %s", qPrintable(run.err));
    return run.out.toUtf8();
}

// The window and its simulated modem, the file dialogs answered by a queue.
struct FileWindow
{
    explicit FileWindow(const QStringList &simArguments = {})
        : window(simArguments)
    {}

    bool connect()
    {
        if (!window.connect())
            return false;
        window.fixture.form().configFiles().setChooser(&chooser);
        return true;
    }

    Form1Ui &ui() { return window.ui(); }
    QString path(const QString &name) const { return window.fixture.scratchPath(name); }

    // A file holding what "miran-cli read --json" printed for the modem.
    QString printedFile()
    {
        const QString file = path("modem.json");
        writeFile(file, cliRead(cli, window.sim));
        return file;
    }

    void click(QPushButton *button, const QString &answer)
    {
        chooser.answers = {answer};
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // Disconnects, so that miran-cli may have the port.
    bool releasePort()
    {
        QTest::mouseClick(ui().Command7, Qt::LeftButton);
        return QTest::qWaitFor([this] { return ui().Command7->text() == "Connect"; });
    }

    QList<RecordingDialogs::Box> &messages() { return window.fixture.dialogs.messages; }

    SimWindow window;
    QueuedChooser chooser;
    CliProgram cli;
};
} // namespace

class ConfigFilesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The program's own style and font, which the page is laid out for.
    void initTestCase() { Toolkit::prepare(); }
    void openFillsTheFieldsAndSendsNothing();
    void setWritesWhatOpenFilledIn();
    void savedFileIsWhatMiranCliWritesAndPrints();
    void unreadableFieldsAreNotSaved_data();
    void unreadableFieldsAreNotSaved();
    void badFilesLeaveTheFields_data();
    void badFilesLeaveTheFields();
    void compareMarksExactlyTheDifferingFields();
    void buttonsFollowRefreshAndFitThePage();
};

void ConfigFilesTest::openFillsTheFieldsAndSendsNothing()
{
    FileWindow session;
    const QString file = session.printedFile();
    QVERIFY2(session.connect(), qPrintable(session.window.failure()));
    Form1Ui &ui = session.ui();
    const QString folderBefore = session.window.fixture.form().configFiles().folder();

    // GIVEN fields edited away from the modem's values, and Cancel in the dialog
    const QStringList edited{"01", "02", "03", "04", "05", "06", "07", "08", "9", "1", "11", "12"};
    setFields(ui, edited);
    session.window.fixture.recorder().writes.clear();
    const qsizetype logBefore = session.window.sim.log().size();
    session.click(ui.OpenConfig, QString());
    QCOMPARE(fieldTexts(ui), edited);

    // WHEN the file miran-cli printed is opened
    session.click(ui.OpenConfig, file);

    // THEN the fields show it, the modem heard nothing and the port stays open
    QCOMPARE(fieldTexts(ui), kSimConfigurationFields);
    QVERIFY(session.messages().isEmpty());
    QTest::qWait(kWriteWouldShowMs);
    QCOMPARE(session.window.fixture.recorder().writes, QList<QByteArray>());
    QCOMPARE(session.window.sim.rxBursts(logBefore).size(), 0);
    QVERIFY(session.window.fixture.form().session().portOpen());
    QVERIFY(ui.statusText().contains("modem.json"));
    // The dialogs start in the folder last chosen from; Cancel leaves it.
    QCOMPARE(session.chooser.asked.size(), 2);
    QCOMPARE(session.chooser.asked.at(1),
             std::pair(ConfigFileChooser::Purpose::Open, folderBefore));
    QCOMPARE(session.window.fixture.form().configFiles().folder(), QFileInfo(file).absolutePath());
}

void ConfigFilesTest::setWritesWhatOpenFilledIn()
{
    // A modem that clamps the channel to 50, so a Set can leave a mark.
    FileWindow session({"--clamp", "channel=0-50"});
    QByteArray printed = cliRead(session.cli, session.window.sim);
    QVERIFY2(session.connect(), qPrintable(session.window.failure()));
    Form1Ui &ui = session.ui();
    ui.Text9->setText("100");
    QTest::mouseClick(ui.Command2, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(markedFields(ui), QList<int>{8}, 10'000);

    // GIVEN the printed file with other values, as several devices' output
    // carries them: without "bytes", with "device"
    QJsonObject object = QJsonDocument::fromJson(printed).object();
    object.remove("bytes");
    object.insert("device", session.window.sim.linkPath());
    object.insert("destination", "01020304");
    object.insert("channel", 12);
    object.insert("rxSize", 200);
    const QString file = session.path("changed.json");
    writeFile(file, QJsonDocument(object).toJson());

    // WHEN it is opened, THEN the fields show it and the Set's mark is gone
    session.click(ui.OpenConfig, file);
    const QStringList opened{"1", "2", "3", "4", "A", "1", "FF", "5", "12", "3", "30", "200"};
    QCOMPARE(fieldTexts(ui), opened);
    QCOMPARE(markedFields(ui), QList<int>());

    // WHEN Set is pressed, THEN the modem holds the file's values
    QTest::mouseClick(ui.Command2, Qt::LeftButton);
    QCOMPARE(session.window.sim.configuration(), QByteArray::fromHex("010203040A01FF050C031EC8"));
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), opened, 10'000);
    QCOMPARE(markedFields(ui), QList<int>());
}

void ConfigFilesTest::savedFileIsWhatMiranCliWritesAndPrints()
{
    FileWindow session;
    QVERIFY2(session.connect(), qPrintable(session.window.failure()));
    Form1Ui &ui = session.ui();
    // Lower case and a leading zero: the file holds the values, not the texts.
    setFields(ui, {"12", "34", "56", "78", "9a", "BC", "DE", "F0", "020", "2", "64", "100"});
    const QString file = session.path("saved.json");
    session.click(ui.SaveConfig, file);
    QVERIFY(session.messages().isEmpty());
    QVERIFY(ui.statusText().contains("saved.json"));
    const QByteArray saved = contentOf(file);
    QVERIFY(saved.endsWith('\n'));
    QCOMPARE(saved.count('\n'), 1);

    // miran-cli writes it into the modem and prints it back as it is.
    QVERIFY(session.releasePort());
    const CliRun write =
        session.cli.run({"write", "--device", session.window.sim.linkPath(), "--from", file});
    QVERIFY2(write.code == 0, qPrintable(write.err));
    QCOMPARE(session.window.sim.configuration(), QByteArray::fromHex("123456789ABCDEF014024064"));
    QCOMPARE(cliRead(session.cli, session.window.sim), saved);

    // A file that cannot be written (its folder is a file) is reported, and
    // nothing is left behind.
    const QString unwritable = file + "/modem.json";
    session.click(ui.SaveConfig, unwritable);
    QCOMPARE(session.messages().size(), 1);
    const QString prompt = session.messages().at(0).prompt;
    QVERIFY2(prompt.contains(QDir::toNativeSeparators(unwritable)), qPrintable(prompt));
    QCOMPARE(contentOf(file), saved);
}

void ConfigFilesTest::unreadableFieldsAreNotSaved_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::newRow("not hexadecimal") << 0 << "GG"
                                     << "Destination Address byte 1";
    QTest::newRow("above 255") << 8 << "300"
                               << "RF Channel";
}

void ConfigFilesTest::unreadableFieldsAreNotSaved()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, name);
    FormFixture fixture;
    QueuedChooser chooser;
    Form1 &form = startedForm(fixture, chooser);
    const QString file = fixture.scratchPath("modem.json");
    form.ui().configFields().at(static_cast<size_t>(field))->setText(text);

    for (QPushButton *button : {form.ui().SaveConfig, form.ui().CompareConfig}) {
        chooser.answers = {file};
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // One box for each, naming the field; nothing written, nothing marked.
    QCOMPARE(fixture.dialogs.messages.size(), 2);
    for (const RecordingDialogs::Box &box : fixture.dialogs.messages)
        QVERIFY2(box.prompt.contains(name) && box.prompt.contains(text), qPrintable(box.prompt));
    QVERIFY(!QFile::exists(file));
    QCOMPARE(markedFields(form.ui()), QList<int>());
}

void ConfigFilesTest::badFilesLeaveTheFields_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("told");
    QTest::newRow("not JSON") << QByteArray("destination 7F7F7F7E\nmodule 0A01FF05\n")
                              << QStringList{"line 1", "not JSON"};
    QTest::newRow("bad value on line 3")
        << QByteArray("{\n  \"destination\": \"7F7F7F7E\",\n  \"module\": \"0A01FF0\",\n"
                      "  \"channel\": 10, \"power\": 3, \"txSize\": 30, \"rxSize\": 30\n}\n")
        << QStringList{"line 3", "\"module\""};
    QTest::newRow("number out of range")
        << QByteArray("{\"destination\": \"7F7F7F7E\", \"module\": \"0A01FF05\",\n"
                      "\"channel\": 256, \"power\": 3, \"txSize\": 30, \"rxSize\": 30}")
        << QStringList{"line 2", "\"channel\""};
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
    FormFixture fixture;
    QueuedChooser chooser;
    Form1 &form = startedForm(fixture, chooser);
    const QString file = fixture.scratchPath("bad.json");
    if (!content.isEmpty())
        writeFile(file, content);
    const QStringList before = fieldTexts(form.ui());
    const QString statusBefore = form.ui().statusText();

    chooser.answers = {file};
    QTest::mouseClick(form.ui().OpenConfig, Qt::LeftButton);

    QCOMPARE(fixture.dialogs.messages.size(), 1);
    const QString prompt = fixture.dialogs.messages.at(0).prompt;
    for (const QString &part : told << QDir::toNativeSeparators(file))
        QVERIFY2(prompt.contains(part), qPrintable(part + " is not in: " + prompt));
    QCOMPARE(fieldTexts(form.ui()), before);
    QCOMPARE(form.ui().statusText(), statusBefore);
}

void ConfigFilesTest::compareMarksExactlyTheDifferingFields()
{
    FileWindow session;
    const QString file = session.printedFile();
    QVERIFY2(session.connect(), qPrintable(session.window.failure()));
    Form1Ui &ui = session.ui();

    // The window shows what the file holds: nothing differs.
    session.click(ui.CompareConfig, file);
    QCOMPARE(markedFields(ui), QList<int>());
    QCOMPARE(ui.statusText(), QStringLiteral("Compared with modem.json: no field differs"));

    // Two fields edited: those two, and only those, are marked.
    ui.Text4->setText("7F");
    ui.Text10->setText("2");
    session.click(ui.CompareConfig, file);
    QCOMPARE(markedFields(ui), (QList<int>{3, 9}));
    QCOMPARE(ui.Text4->accessibleDescription(), QStringLiteral("0-FF Hex; here 7F, file has 7E"));
    QCOMPARE(ui.Text10->accessibleDescription(),
             QStringLiteral("Decimal (0-3); here 2, file has 3"));
    QCOMPARE(ui.Text3->accessibleDescription(), QStringLiteral("0-FF Hex"));
    QCOMPARE(ui.statusText(), QStringLiteral("Compared with modem.json: 2 fields differ"));
    QVERIFY(session.messages().isEmpty());

    // Put back and compared again: the marks go.
    ui.Text4->setText("7E");
    ui.Text10->setText("3");
    session.click(ui.CompareConfig, file);
    QCOMPARE(markedFields(ui), QList<int>());
    QCOMPARE(ui.Text10->accessibleDescription(), QStringLiteral("Decimal (0-3)"));
}

void ConfigFilesTest::buttonsFollowRefreshAndFitThePage()
{
    FormFixture fixture;
    Form1 &form = fixture.start();
    Form1Ui &ui = form.ui();
    const QList<QPushButton *> buttons{ui.SaveConfig, ui.OpenConfig, ui.CompareConfig};

    // Tab goes Refresh, Save…, Open…, Compare…, then on to the tabs.
    QWidget *widget = ui.Command3;
    for (QPushButton *button : buttons) {
        widget = widget->nextInFocusChain();
        QCOMPARE(widget, button);
    }
    QCOMPARE(widget->nextInFocusChain(), ui.TabStrip1);

    const QRect page = ui.ModemPic->rect();
    for (QPushButton *button : buttons) {
        QVERIFY(button->isVisible() && button->isEnabled());
        QVERIFY(page.contains(button->geometry()));
        QCOMPARE(button->font(), ui.Command2->font());
        QVERIFY(!button->toolTip().isEmpty());
        QVERIFY(!button->accessibleDescription().isEmpty());
        for (const QWidget *other :
             ui.ModemPic->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            QVERIFY2(other == button || !other->geometry().intersects(button->geometry()),
                     qPrintable(button->objectName() + " overlaps " + other->objectName()));
        }
    }
}

QTEST_MAIN(ConfigFilesTest)
#include "tst_configfiles.moc"
