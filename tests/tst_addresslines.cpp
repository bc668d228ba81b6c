// SPDX-License-Identifier: GPL-3.0-or-later
// The address file's line rules, its appending, and the address entry rules.
#include "address/addressentry.h"
#include "address/addressfile.h"
#include "address/addresslines.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}
} // namespace

class AddressLinesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitsLines_data();
    void splitsLines();
    void appendNeverJoinsAnUnterminatedLine_data();
    void appendNeverJoinsAnUnterminatedLine();
    void appendedEntriesReadBack();
    void failedAppendLeavesFileUnchanged();
    void unstorableEntryIsRefused();
    void normalizesTypedAddress_data();
    void normalizesTypedAddress();
    void longLinesAreCountedNotCopied_data();
    void longLinesAreCountedNotCopied();
    void cutsAddressIntoPieces_data();
    void cutsAddressIntoPieces();
    void readsAddress_data();
    void readsAddress();
    void writesAddress_data();
    void writesAddress();
};

void AddressLinesTest::splitsLines_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("one terminated line") << QByteArray("A\r\n") << QStringList{"A"};
    QTest::newRow("one unterminated line") << QByteArray("A") << QStringList{"A"};
    QTest::newRow("lone CR is an empty line") << QByteArray("\r") << QStringList{""};
    QTest::newRow("CR LF is one terminator") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("two empty lines") << QByteArray("\r\n\r\n") << QStringList{"", ""};
    QTest::newRow("CR then CR LF") << QByteArray("A\r\r\n") << QStringList{"A", ""};
    QTest::newRow("lone LF is text") << QByteArray("\n") << QStringList{"\n"};
    QTest::newRow("LF before CR LF") << QByteArray("A\n\r\n") << QStringList{"A\n"};
    QTest::newRow("mixed") << QByteArray("A\r\nB\rC\nD") << QStringList{"A", "B", "C\nD"};
    QTest::newRow("LF CR") << QByteArray("A\n\rB") << QStringList{"A\n", "B"};
    QTest::newRow("high bytes keep their codes")
        << QByteArray("\xe9\x80\r\n") << QStringList{QString(QChar(0xE9)) + QChar(0x80)};
}

void AddressLinesTest::splitsLines()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, lines);
    QCOMPARE(AddressLines::split(content), lines);
    // No line of these is long: the list takes them all.
    const AddressLines::Entries entries = AddressLines::entries(content, 64);
    QCOMPARE(entries.lines, lines);
    QVERIFY(entries.skipped.isEmpty());
}

void AddressLinesTest::longLinesAreCountedNotCopied_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QList<qsizetype>>("skipped");
    QTest::newRow("at the limit") << QByteArray("1234\r\n") << QStringList{"1234"}
                                  << QList<qsizetype>{};
    QTest::newRow("one past it, between others")
        << QByteArray("A\r\n12345\r\nB\r\n") << QStringList{"A", "B"} << QList<qsizetype>{2};
    // The numbers count every line, the empty and the skipped ones too.
    QTest::newRow("numbers count empty lines")
        << QByteArray("\r\n12345\r123456\r\nC") << QStringList{"", "C"} << QList<qsizetype>{2, 3};
    QTest::newRow("unterminated last line")
        << QByteArray("A\r\n12345") << QStringList{"A"} << QList<qsizetype>{2};
    // A lone LF is part of the line, and counts towards its length.
    QTest::newRow("lone LF counts")
        << QByteArray("12\n34\r\n") << QStringList{} << QList<qsizetype>{1};
}

void AddressLinesTest::longLinesAreCountedNotCopied()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, lines);
    QFETCH(QList<qsizetype>, skipped);
    const AddressLines::Entries entries = AddressLines::entries(content, 4);
    QCOMPARE(entries.lines, lines);
    QCOMPARE(entries.skipped, skipped);
}

void AddressLinesTest::appendNeverJoinsAnUnterminatedLine_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("missing file") << QByteArray() << QByteArray("0000ABCD\r\n");
    QTest::newRow("terminated") << QByteArray("A\r\n") << QByteArray("A\r\n0000ABCD\r\n");
    QTest::newRow("ends in CR") << QByteArray("A\r") << QByteArray("A\r0000ABCD\r\n");
    // A lone LF does not end a line when the file is read back.
    QTest::newRow("ends in lone LF") << QByteArray("A\n") << QByteArray("A\n\r\n0000ABCD\r\n");
    QTest::newRow("unterminated") << QByteArray("A") << QByteArray("A\r\n0000ABCD\r\n");
}

void AddressLinesTest::appendNeverJoinsAnUnterminatedLine()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Address.txt"));
    if (!before.isEmpty())
        writeAll(path, before);
    const AddressFile file(path);

    QCOMPARE(file.append(QStringLiteral("0000ABCD")), QString());
    QCOMPARE(readAll(path), after);
    QCOMPARE(file.readLines()->last(), QStringLiteral("0000ABCD"));
}

void AddressLinesTest::appendedEntriesReadBack()
{
    QTemporaryDir dir;
    const AddressFile file(dir.filePath(QStringLiteral("Address.txt")));
    QVERIFY(file.ensureExists());
    QVERIFY(file.ensureExists());
    QCOMPARE(file.readLines(), QStringList());
    for (const char *entry : {"7F7F0001", "7F 7F 7F", "7F7F0001"})
        QCOMPARE(file.append(QLatin1String(entry)), QString());
    QCOMPARE(file.readLines(), (QStringList{"7F7F0001", "7F 7F 7F", "7F7F0001"}));
}

void AddressLinesTest::failedAppendLeavesFileUnchanged()
{
    QTemporaryDir dir;
    // A folder in the file's place cannot be written, also with every
    // permission.
    const QString path = dir.filePath(QStringLiteral("Address.txt"));
    QVERIFY(QDir().mkpath(path));
    const AddressFile file(path);
    QVERIFY(!file.ensureExists());
    QVERIFY(!file.readLines().has_value());
    const QString failure = file.append(QStringLiteral("0000ABCD"));
    QVERIFY(failure.contains(path));
    QVERIFY(QFileInfo(path).isDir());

    if (QFile::exists(QStringLiteral("/dev/full"))) {
        // A write that fails at the flush: nothing of it stays behind.
        const AddressFile full(QStringLiteral("/dev/full"));
        QVERIFY(!full.append(QStringLiteral("0000ABCD")).isEmpty());
    }
}

void AddressLinesTest::unstorableEntryIsRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Address.txt"));
    writeAll(path, "A\r\n");
    const AddressFile file(path);
    QVERIFY(!file.append(QStringLiteral("7F7F7F\u20AC")).isEmpty());
    QCOMPARE(readAll(path), QByteArray("A\r\n"));
    QVERIFY(AddressLines::isStorable(QStringLiteral("7F7F7F\u00FF")));
}

void AddressLinesTest::normalizesTypedAddress_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("blanks around, lower case") << "  7f7f0001 "
                                               << "7F7F0001" << true;
    QTest::newRow("inner blanks stay") << "7F 7F 7F"
                                       << "7F 7F 7F" << true;
    QTest::newRow("seven characters") << "7F7F7F7"
                                      << "7F7F7F7" << false;
    QTest::newRow("nine characters") << "7F7F7F7F0"
                                     << "7F7F7F7F0" << false;
    QTest::newRow("cancelled") << ""
                               << "" << false;
    QTest::newRow("tab is not trimmed") << "\t7F7F7F7"
                                        << "\t7F7F7F7" << true;
    QTest::newRow("sharp s keeps one character") << "\u00df7F7F7F7"
                                                 << "\u00df7F7F7F7" << true;
    QTest::newRow("latin letters") << "\u00e97f7f7f7"
                                   << "\u00c97F7F7F7" << true;
}

void AddressLinesTest::normalizesTypedAddress()
{
    QFETCH(QString, typed);
    QFETCH(QString, address);
    QFETCH(bool, accepted);
    QCOMPARE(AddressEntry::normalize(typed), address);
    QCOMPARE(AddressEntry::hasValidLength(AddressEntry::normalize(typed)), accepted);
}

void AddressLinesTest::cutsAddressIntoPieces_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("pieces");
    QTest::newRow("eight") << "7F7F7F7E" << QStringList{"7F", "7F", "7F", "7E"};
    QTest::newRow("three") << "ABC" << QStringList{"AB", "C", "", ""};
    QTest::newRow("empty") << "" << QStringList{"", "", "", ""};
    QTest::newRow("nine") << "123456789" << QStringList{"12", "34", "56", "78"};
}

void AddressLinesTest::cutsAddressIntoPieces()
{
    QFETCH(QString, address);
    QFETCH(QStringList, pieces);
    const auto cut = AddressEntry::pieces(address);
    QCOMPARE(QStringList(cut.begin(), cut.end()), pieces);
}

void AddressLinesTest::readsAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<quint32>("value");
    QTest::newRow("upper") << "7F7F7F7E" << true << 0x7F7F7F7Eu;
    QTest::newRow("lower and mixed") << "0a01fF05" << true << 0x0A01FF05u;
    QTest::newRow("zero") << "00000000" << true << 0u;
    QTest::newRow("largest") << "FFFFFFFF" << true << 0xFFFFFFFFu;
    QTest::newRow("seven digits") << "7F7F7F7" << false << 0u;
    QTest::newRow("nine digits") << "0A01FF050" << false << 0u;
    QTest::newRow("empty") << "" << false << 0u;
    QTest::newRow("0x prefix") << "0x01FF05" << false << 0u;
    QTest::newRow("beyond F") << "7F7F7F7G" << false << 0u;
    QTest::newRow("sign") << "+7F7F7F7" << false << 0u;
    QTest::newRow("blank inside") << "7F7F 7F7" << false << 0u;
    QTest::newRow("blank after") << "7F7F7F7 " << false << 0u;
    QTest::newRow("line feed after") << "7F7F7F7E\n" << false << 0u;
    QTest::newRow("fullwidth letter") << "7F7F7F7\uFF21" << false << 0u;
    QTest::newRow("other script digit") << "7F7F7F7\u0661" << false << 0u;
}

void AddressLinesTest::readsAddress()
{
    QFETCH(QString, text);
    QFETCH(bool, taken);
    QFETCH(quint32, value);
    const std::optional<quint32> read = AddressEntry::value(text);
    QCOMPARE(read.has_value(), taken);
    if (taken)
        QCOMPARE(*read, value);
}

void AddressLinesTest::writesAddress_data()
{
    QTest::addColumn<quint32>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero keeps its digits") << 0u << "00000000";
    QTest::newRow("leading zeros") << 0x0A01FF05u << "0A01FF05";
    QTest::newRow("upper case") << 0xabcdef12u << "ABCDEF12";
    QTest::newRow("largest") << 0xFFFFFFFFu << "FFFFFFFF";
}

void AddressLinesTest::writesAddress()
{
    QFETCH(quint32, value);
    QFETCH(QString, text);
    QCOMPARE(AddressEntry::text(value), text);
    QVERIFY(AddressEntry::value(text) == value);
    QVERIFY(AddressEntry::hasValidLength(text));
}

QTEST_GUILESS_MAIN(AddressLinesTest)
#include "tst_addresslines.moc"
