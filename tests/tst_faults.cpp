// SPDX-License-Identifier: GPL-3.0-or-later
// Faults injected while the window works: the modem vanishing or flooding the
// line, bad fields, and damaged or read-only files. Each case checks that
// nothing was lost and that the window is still usable afterwards.
#include "support/app/controltexts.h"
#include "support/app/formfixture.h"
#include "support/app/simwindow.h"
#include "support/core/otheruser.h"

#include "serial/mscomm.h"
#include "shell/form1.h"
#include "shell/form1ui.h"
#include "terminal/terminalview.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <optional>

using namespace std::chrono_literals;

namespace {
const QByteArray kConfigBytes = QByteArray::fromHex(kSimConfiguration.toLatin1());
// kSimConfiguration with 20 as RF channel.
const QByteArray kEditedBytes = QByteArray::fromHex("7F7F7F7E0A01FF0514031E1E");
const QStringList kBuiltIns{QStringLiteral("7F7F7F7F"), QStringLiteral("7F7F7F7E")};
constexpr int kFlood = 1024 * 1024;

void click(QPushButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

// The first twelve slots of the receive buffer after one reply: each of the
// 51 slots holds the last byte that fell on it.
QByteArray decodedSlots(const QByteArray &reply)
{
    QByteArray bytes;
    for (qsizetype slot = 0; slot < 12; ++slot)
        bytes.append(reply.at(slot + (reply.size() - 1 - slot) / 51 * 51));
    return bytes;
}

// The field texts that show a configuration packet.
QStringList fieldsShowing(const QByteArray &packet)
{
    QStringList texts;
    for (qsizetype i = 0; i < packet.size(); ++i) {
        const auto byte = static_cast<unsigned char>(packet.at(i));
        texts.append(i < 8 ? QString::number(byte, 16).toUpper() : QString::number(byte));
    }
    return texts;
}

// Makes a file and its folder read-only while it lives, for a user other
// than root: root writes them regardless.
class ReadOnlyFile
{
    Q_DISABLE_COPY(ReadOnlyFile)

public:
    explicit ReadOnlyFile(const QString &path)
        : m_file(path)
        , m_folder(QFileInfo(path).absolutePath())
        , m_filePermissions(QFile::permissions(m_file))
        , m_folderPermissions(QFile::permissions(m_folder))
    {
        const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        QFile::setPermissions(m_file, readOnly);
        QFile::setPermissions(m_folder,
                              readOnly | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
        QFile probe(path);
        if (probe.open(QIODevice::WriteOnly | QIODevice::Append))
            m_failure = QStringLiteral("%1 is still writable after chmod").arg(path);
    }
    ~ReadOnlyFile()
    {
        QFile::setPermissions(m_folder, m_folderPermissions);
        QFile::setPermissions(m_file, m_filePermissions);
    }
    // Empty when the file is read-only, else why it is not.
    QString failure() const { return m_failure; }

private:
    QString m_file;
    QString m_folder;
    QFile::Permissions m_filePermissions;
    QFile::Permissions m_folderPermissions;
    QString m_failure;
};

// No box when start is empty, else exactly one, whose text begins so.
void expectBox(const RecordingDialogs &dialogs, const QString &start)
{
    if (start.isEmpty()) {
        QVERIFY(dialogs.messages.isEmpty());
        return;
    }
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY2(dialogs.messages[0].prompt.startsWith(start), qPrintable(dialogs.messages[0].prompt));
}

// After the modem vanished: the window shows the closed port, said why at
// most once, kept nothing of the exchange, and works once the modem is back.
void expectLostThenUsable(FormFixture &fixture, ModemSim &sim)
{
    Form1Ui &ui = fixture.ui();
    QTRY_COMPARE_WITH_TIMEOUT(ui.Command7->text(), QStringLiteral("Connect"), 10'000);
    QVERIFY(!fixture.serial().portOpen());
    QVERIFY(!ui.Command2->isEnabled());
    QVERIFY(!ui.Command3->isEnabled());
    QCOMPARE(fixture.form().cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!fixture.form().session().exchangeRunning());
    QVERIFY2(fixture.dialogs.messages.size() <= 1,
             qPrintable(QString::number(fixture.dialogs.messages.size()) + " boxes"));
    const QString lost = QStringLiteral("The connection to %1 was lost").arg(sim.linkPath());
    for (const RecordingDialogs::Box &box : fixture.dialogs.messages)
        QVERIFY2(box.prompt.contains(lost), qPrintable(box.prompt));
    QCOMPARE(sim.configuration(), kConfigBytes);

    // The next reply must start in slot 0: let the quiet time end the last one.
    QTRY_VERIFY(!fixture.form().session().quietTimeRunning());
    QVERIFY2(sim.plug(), qPrintable(sim.errorString()));
    click(ui.Command7);
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 10'000);
    ui.Text9->setText(QStringLiteral("20"));
    click(ui.Command2);
    QCOMPARE(sim.configuration(), kEditedBytes);
    QTRY_COMPARE_WITH_TIMEOUT(ui.Text9->text(), QStringLiteral("20"), 10'000);
}
} // namespace

class FaultsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lossDuringAnExchange_data();
    void lossDuringAnExchange();
    void lossDuringAFlood();
    void floodedAnswer_data();
    void floodedAnswer();
    void badFieldLeavesModemAlone_data();
    void badFieldLeavesModemAlone();
    void addressFileFaults_data();
    void addressFileFaults();
    void settingsFileFaults_data();
    void settingsFileFaults();
};

void FaultsTest::lossDuringAnExchange_data()
{
    // The modem vanishes once it has received this many bytes. Connecting
    // sends "+++" and "---", so byte 9 ends the next "+++" and byte 15 falls
    // in the packet after it.
    QTest::addColumn<int>("hangupAfter");
    QTest::addColumn<bool>("set");
    QTest::newRow("Set, after command-mode entry") << 9 << true;
    QTest::newRow("Set, as the packet arrives") << 15 << true;
    QTest::newRow("Refresh, after command-mode entry") << 9 << false;
}

void FaultsTest::lossDuringAnExchange()
{
    QFETCH(int, hangupAfter);
    QFETCH(bool, set);
    SimWindow window({QStringLiteral("--hangup-after-rx"), QString::number(hangupAfter)});
    QVERIFY2(window.connect(), qPrintable(window.failure()));
    Form1Ui &ui = window.ui();
    // Had the modem taken a packet, it would hold this channel.
    ui.Text9->setText(QStringLiteral("20"));

    click(set ? ui.Command2 : ui.Command3);

    expectLostThenUsable(window.fixture, window.sim);
}

void FaultsTest::lossDuringAFlood()
{
    SimWindow window;
    QVERIFY2(window.connect(), qPrintable(window.failure()));
    Form1Ui &ui = window.ui();
    ModemSim &sim = window.sim;
    FormFixture &fixture = window.fixture;
    const qsizetype before = ui.Text13->receivedBytes().size();
    // Unplugged once an eighth has arrived, with the rest still on its way.
    bool unplugged = false;
    connect(&fixture.serial(), &CommControl::OnComm, &fixture.form(), [&] {
        if (!unplugged && ui.Text13->receivedBytes().size() - before >= kFlood / 8) {
            unplugged = true;
            sim.command(QStringLiteral("hangup"));
        }
    });

    sim.command(QStringLiteral("flood %1").arg(kFlood));

    QTRY_VERIFY_WITH_TIMEOUT(unplugged, 30'000);
    QTRY_COMPARE_WITH_TIMEOUT(ui.Command7->text(), QStringLiteral("Connect"), 10'000);
    // Every byte that came before the loss, once and in order.
    const QByteArray received = ui.Text13->receivedBytes().sliced(before);
    QVERIFY2(received.size() < kFlood, "The whole flood came before the hang-up");
    QCOMPARE(received, sim.floodBytes(kFlood).first(received.size()));
    expectLostThenUsable(fixture, sim);
}

void FaultsTest::floodedAnswer_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("clickDuringFlood");
    QTest::newRow("40 bytes of garbage") << 40 << false;
    QTest::newRow("1 MiB") << kFlood << true;
}

void FaultsTest::floodedAnswer()
{
    QFETCH(int, length);
    QFETCH(bool, clickDuringFlood);
    SimWindow window({QStringLiteral("--flood"), QString::number(length)});
    QVERIFY2(window.start(), qPrintable(window.failure()));
    Form1Ui &ui = window.ui();
    FormFixture &fixture = window.fixture;
    // A click on the Terminal tab, coming in through the event loop once a
    // quarter of the flood is in: how much had arrived when it was handled?
    qsizetype clickedAt = -1;
    bool posted = false;
    if (clickDuringFlood) {
        connect(&fixture.serial(), &CommControl::OnComm, &fixture.form(), [&] {
            if (posted || ui.Text13->receivedBytes().size() < length / 4)
                return;
            posted = true;
            QTimer::singleShot(0, &fixture.form(), [&] {
                QTabBar *tabs = ui.TabStrip1->tabBar();
                QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
                clickedAt = ui.Text13->receivedBytes().size();
            });
        });
    }

    click(ui.Command7);

    const QByteArray flood = window.sim.floodBytes(length);
    QTRY_COMPARE_WITH_TIMEOUT(ui.Text13->receivedBytes().size(), qsizetype(length), 60'000);
    QCOMPARE(ui.Text13->receivedBytes(), flood);
    const QByteArray firstSlots = decodedSlots(flood);
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), fieldsShowing(firstSlots), 10'000);
    QCOMPARE(ui.BRText->text(), QString::number(length % 51));
    if (clickDuringFlood) {
        QCOMPARE(ui.Frame2->title(), QStringLiteral("Terminal"));
        // It did not wait for the rest of the flood.
        QVERIFY2(clickedAt >= 0 && clickedAt < length,
                 qPrintable(QStringLiteral("handled at byte %1").arg(clickedAt)));
    }

    // Set still goes through: the modem takes what the fields show.
    ui.TabStrip1->setCurrentIndex(0);
    QVERIFY(ui.Command2->isEnabled());
    click(ui.Command2);
    QCOMPARE(window.sim.configuration(), firstSlots);
    QVERIFY(fixture.dialogs.messages.isEmpty());
}

void FaultsTest::badFieldLeavesModemAlone_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::newRow("hex ??") << 0 << "??";
    QTest::newRow("hex empty") << 3 << "";
    QTest::newRow("256") << 8 << "256";
    QTest::newRow("-1") << 9 << "-1";
    QTest::newRow("99999") << 11 << "99999";
}

void FaultsTest::badFieldLeavesModemAlone()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    SimWindow window;
    QVERIFY2(window.connect(), qPrintable(window.failure()));
    Form1Ui &ui = window.ui();
    ModemSim &sim = window.sim;
    QTRY_COMPARE(sim.rxBursts().size(), 2);
    const qsizetype before = sim.log().size();
    ui.configFields()[static_cast<size_t>(field)]->setText(text);

    click(ui.Command2);

    QCOMPARE(window.fixture.dialogs.messages.size(), 1);
    QCOMPARE(sim.configuration(), kConfigBytes);
    // Not a byte of a packet on the line: command mode entered and left, twice.
    QTRY_COMPARE(ModemSim::burstBytes(sim.rxBursts(before)),
                 (QList<QByteArray>{"+++", "---", "+++", "---"}));
    QTRY_COMPARE_WITH_TIMEOUT(fieldTexts(ui), kSimConfigurationFields, 10'000);
    QVERIFY(ui.Command2->isEnabled());
}

void FaultsTest::addressFileFaults_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("readOnly");

    QTest::newRow("read-only") << QByteArray("11111111\r\n22222222\r\n")
                               << QStringList{"11111111", "22222222"} << true;

    QByteArray huge;
    QStringList hugeLines;
    // Ten bytes a line.
    for (int i = 0; i < 5 * 1024 * 1024 / 10; ++i) {
        const QByteArray line = QByteArray::number(i, 16).toUpper().rightJustified(8, '0');
        huge += line + "\r\n";
        hugeLines.append(QString::fromLatin1(line));
    }
    huge.chop(2);
    QTest::newRow("5 MiB, last line unterminated") << huge << hugeLines << false;

    // Every byte value, in lines of 60 at most: byte 13 (CR) ends a line of
    // its own accord; LF and NUL are text.
    QByteArray everyByte;
    QStringList everyByteLines{QString()};
    for (int byte = 0; byte < 256; ++byte) {
        everyByte.append(static_cast<char>(byte));
        if (byte == 13)
            everyByteLines.append(QString());
        else
            everyByteLines.last().append(QChar(byte));
        if (byte % 60 == 59 && byte < 255) {
            everyByte.append("\r\n");
            everyByteLines.append(QString());
        }
    }
    QTest::newRow("every byte value, last line unterminated")
        << everyByte << everyByteLines << false;
}

void FaultsTest::addressFileFaults()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, lines);
    QFETCH(bool, readOnly);
    if (readOnly && OtherUser::needed()) {
        OtherUser nobody;
        const QString failure = nobody.runCurrentRow();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        return;
    }
    FormFixture fixture;
    fixture.writeAddressFile(content);
    std::optional<ReadOnlyFile> locked;
    if (readOnly) {
        locked.emplace(fixture.addressFilePath());
        QVERIFY2(locked->failure().isEmpty(), qPrintable(locked->failure()));
    }
    Form1 &form = fixture.start();
    QCOMPARE(items(form.ui().Combo4), lines + kBuiltIns);
    QVERIFY(fixture.dialogs.messages.isEmpty());
    // The window works: the start-up pass runs, then it connects and reads.
    QTRY_VERIFY(!form.session().readPending());
    fixture.fake().answerCommandMode(kConfigBytes, 10ms);
    click(form.ui().Command7);
    QTRY_COMPARE(fieldTexts(form.ui()), kSimConfigurationFields);

    fixture.dialogs.answers = {QStringLiteral("0000abcd")};
    click(form.ui().Command6);

    expectBox(fixture.dialogs,
              readOnly ? QStringLiteral("Error!! The address was not added.") : QString());
    // The earlier bytes stay as they were; the entry never joins the last line.
    const QStringList added = readOnly ? QStringList() : QStringList{"0000ABCD"};
    QCOMPARE(fixture.addressFileContent(),
             readOnly ? content : content + QByteArray("\r\n0000ABCD\r\n"));
    QCOMPARE(items(form.ui().Combo4), lines + kBuiltIns + added);

    fixture.stop();
    QCOMPARE(items(fixture.start().ui().Combo4), lines + added + kBuiltIns);
}

void FaultsTest::settingsFileFaults_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("readOnly");
    // What the window shows: the readable values, defaults for the rest.
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("baud");
    // The start of the one box at closing; empty for none.
    QTest::addColumn<QString>("box");

    const QString unsaved = QStringLiteral("Error: The settings could not be saved to ");
    const QString damaged = QStringLiteral("Error: The settings file ");
    QByteArray garbage;
    for (int i = 0; i < 1024; ++i)
        garbage.append(static_cast<char>((i * 89 + 7) % 256));
    QTest::newRow("read-only") << QByteArray("[Settings]\r\nPort=3\r\nBAUD=9600\r\n") << true << "3"
                               << "9600" << unsaved;
    QTest::newRow("binary garbage") << garbage << false << "1"
                                    << "38400" << damaged;
    QTest::newRow("section header cut off") << QByteArray("[Settings\nPort=5\n") << false << "5"
                                            << "38400" << damaged;
    QTest::newRow("cut off in a key")
        << QByteArray("[Settings]\nPort=6\nBAUD=9600\nPo") << false << "6"
        << "9600" << damaged;
    // No comm port has that number: as if there were none.
    QTest::newRow("comma in a value")
        << QByteArray("[Settings]\nPort=3,4\nBAUD=9600\n") << false << "1"
        << "9600" << QString();
}

void FaultsTest::settingsFileFaults()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, readOnly);
    QFETCH(QString, port);
    QFETCH(QString, baud);
    QFETCH(QString, box);
    if (readOnly && OtherUser::needed()) {
        OtherUser nobody;
        const QString failure = nobody.runCurrentRow();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        return;
    }
    FormFixture fixture;
    QVERIFY(writeFile(fixture.settingsFile(), content));
    std::optional<ReadOnlyFile> locked;
    if (readOnly) {
        locked.emplace(fixture.settingsFile());
        QVERIFY2(locked->failure().isEmpty(), qPrintable(locked->failure()));
    }

    Form1 &form = fixture.start();
    QCOMPARE(form.ui().Combo1->currentText(), port);
    QCOMPARE(form.ui().Combo2->currentText(), baud);
    QVERIFY(fixture.dialogs.messages.isEmpty());
    // A change the user expects to keep.
    form.ui().Combo2->setEditText(QStringLiteral("19200"));
    fixture.stop();

    // Said once, naming the file, which still holds what it held.
    expectBox(fixture.dialogs, box.isEmpty() ? box : box + fixture.settingsFile());
    if (!box.isEmpty())
        QCOMPARE(fileContent(fixture.settingsFile()), content);

    // The next run reads the file afresh: QSettings shares what it parsed
    // within a process, so it gets a copy under another name.
    FormFixture next;
    QVERIFY(writeFile(next.settingsFile(), fileContent(fixture.settingsFile())));
    Form1 &again = next.start();
    QCOMPARE(again.ui().Combo1->currentText(), port);
    QCOMPARE(again.ui().Combo2->currentText(), box.isEmpty() ? QStringLiteral("19200") : baud);
}

QTEST_MAIN(FaultsTest)
#include "tst_faults.moc"
