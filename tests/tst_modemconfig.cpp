// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration as the command line prints, reads and writes it: six
// lines or one JSON object out, the session's field texts in, a "read --json"
// file back in (saying on which line it is wrong), the texts a Set reads, and
// the comparison field by field.
#include "modem/modemconfig.h"

#include <QTest>

namespace {
ModemConfig fromHex(const char *hex)
{
    const QByteArray raw = QByteArray::fromHex(hex);
    ModemConfig::Bytes bytes{};
    std::copy(raw.cbegin(), raw.cend(), bytes.begin());
    return ModemConfig(bytes);
}

QString hexOf(const ModemConfig &config)
{
    const auto &bytes = config.bytes();
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char *>(bytes.data()), ModemConfig::kByteCount)
            .toHex()
            .toUpper());
}
} // namespace

class ModemConfigTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void prints_data();
    void prints();
    void readsFieldTexts_data();
    void readsFieldTexts();
    void feedsThePacketBuilder_data();
    void feedsThePacketBuilder();
    void readsJson_data();
    void readsJson();
    void refusesJson_data();
    void refusesJson();
    void editsAndDifferences();
    void namesTheLine_data();
    void namesTheLine();
    void readsTextsWithTheSetRules_data();
    void readsTextsWithTheSetRules();
};

void ModemConfigTest::prints_data()
{
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("json");

    QTest::newRow("simulator's configuration")
        << "7F7F7F7E0A01FF050A031E1E"
        << "destination 7F7F7F7E\nmodule 0A01FF05\nchannel 10\npower 3\ntx-size 30\nrx-size 30\n"
        << R"({"destination":"7F7F7F7E","module":"0A01FF05","channel":10,"power":3,)"
           R"("txSize":30,"rxSize":30,"bytes":"7F7F7F7E0A01FF050A031E1E"})";
    QTest::newRow("all zero: leading zeros kept in addresses only")
        << "000000000000000000000000"
        << "destination 00000000\nmodule 00000000\nchannel 0\npower 0\ntx-size 0\nrx-size 0\n"
        << R"({"destination":"00000000","module":"00000000","channel":0,"power":0,)"
           R"("txSize":0,"rxSize":0,"bytes":"000000000000000000000000"})";
    QTest::newRow("all 255")
        << "FFFFFFFFFFFFFFFFFFFFFFFF"
        << "destination FFFFFFFF\nmodule FFFFFFFF\nchannel 255\npower 255\ntx-size 255\n"
           "rx-size 255\n"
        << R"({"destination":"FFFFFFFF","module":"FFFFFFFF","channel":255,"power":255,)"
           R"("txSize":255,"rxSize":255,"bytes":"FFFFFFFFFFFFFFFFFFFFFFFF"})";
}

void ModemConfigTest::prints()
{
    QFETCH(QString, hex);
    QFETCH(QString, text);
    QFETCH(QString, json);
    const ModemConfig config = fromHex(hex.toLatin1().constData());
    QCOMPARE(config.toText(), text);
    QCOMPARE(config.toJson(), json);
    // What it prints, it reads back.
    ModemConfig::JsonError error;
    const std::optional<ModemConfig> back = ModemConfig::fromJson(json.toUtf8(), error);
    QVERIFY2(back, qPrintable(error.message));
    QCOMPARE(hexOf(*back), hex);
}

void ModemConfigTest::readsFieldTexts_data()
{
    QTest::addColumn<QStringList>("texts");
    // Empty: no configuration.
    QTest::addColumn<QString>("hex");

    const QStringList decoded{"7F", "7F", "7F", "7E", "A", "1", "FF", "5", "10", "3", "30", "30"};
    QTest::newRow("decoded reply") << decoded << "7F7F7F7E0A01FF050A031E1E";
    QStringList unread = decoded;
    unread[11] = "??";
    QTest::newRow("a slot with no byte") << unread << "";
    QTest::newRow("none read") << QStringList(12, "??") << "";
    QTest::newRow("eleven texts") << decoded.first(11) << "";
    QStringList wide = decoded;
    wide[8] = "256";
    QTest::newRow("number beyond a byte") << wide << "";
}

void ModemConfigTest::readsFieldTexts()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, hex);
    ModemConfig::Texts fields;
    std::copy(texts.cbegin(), texts.cend(), fields.begin());
    const std::optional<ModemConfig> config = texts.size() == ModemConfig::kByteCount
                                                  ? ModemConfig::fromShownTexts(fields)
                                                  : std::nullopt;
    QCOMPARE(config ? hexOf(*config) : QString(), hex);
}

void ModemConfigTest::feedsThePacketBuilder_data()
{
    QTest::addColumn<QString>("hex");
    QTest::newRow("simulator's") << "7F7F7F7E0A01FF050A031E1E";
    QTest::newRow("zeros") << "000000000000000000000000";
    QTest::newRow("all 255") << "FFFFFFFFFFFFFFFFFFFFFFFF";
    QTest::newRow("small bytes") << "0102030405060708090A0B0C";
}

void ModemConfigTest::feedsThePacketBuilder()
{
    // The texts go into the session's fields, and the window's builder must
    // turn them into exactly these bytes.
    QFETCH(QString, hex);
    const ModemConfig::Texts texts = ModemConfig(fromHex(hex.toLatin1().constData())).texts();
    const ModemConfig::Reading reading = ModemConfig::read(texts);
    QVERIFY(reading.config);
    QCOMPARE(reading.config->packet().toLatin1().toHex().toUpper(), hex.toLatin1());
    QCOMPARE(ModemConfig::fromShownTexts(texts).has_value(), true);
}

void ModemConfigTest::readsJson_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("hex");

    QTest::newRow("bytes only") << QByteArray(R"({"bytes":"7f7f7f7e0a01ff050a031e1e"})")
                                << "7F7F7F7E0A01FF050A031E1E";
    QTest::newRow("named values only")
        << QByteArray(R"({"destination":"00000001","module":"FFFFFFFE","channel":7,)"
                      R"("power":1,"txSize":64,"rxSize":32})")
        << "00000001FFFFFFFE07014020";
    QTest::newRow("pretty printed, keys in any order")
        << QByteArray("{\n  \"rxSize\": 30,\n  \"bytes\": \"7F7F7F7E0A01FF050A031E1E\",\n"
                      "  \"channel\": 10\n}\n")
        << "7F7F7F7E0A01FF050A031E1E";
}

void ModemConfigTest::readsJson()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, hex);
    ModemConfig::JsonError error;
    const std::optional<ModemConfig> config = ModemConfig::fromJson(json, error);
    QVERIFY2(config, qPrintable(error.message));
    QCOMPARE(hexOf(*config), hex);
}

void ModemConfigTest::refusesJson_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("error");

    QTest::newRow("not json") << QByteArray("destination 7F7F7F7E\n") << "it is not JSON";
    QTest::newRow("an array") << QByteArray("[1,2]") << "it holds no JSON object";
    QTest::newRow("short bytes") << QByteArray(R"({"bytes":"7F7F"})")
                                 << "\"bytes\" must be 24 hexadecimal digits";
    QTest::newRow("a value missing")
        << QByteArray(R"({"destination":"00000001","module":"FFFFFFFE","channel":7,)"
                      R"("power":1,"txSize":64})")
        << "\"rxSize\" is missing, and there is no \"bytes\"";
    QTest::newRow("channel as text")
        << QByteArray(R"({"bytes":"7F7F7F7E0A01FF050A031E1E","channel":"10"})")
        << "\"channel\" must be a whole number from 0 to 255";
    QTest::newRow("power above 255")
        << QByteArray(R"({"bytes":"7F7F7F7E0A01FF050A031E1E","power":256})")
        << "\"power\" must be a whole number from 0 to 255";
    QTest::newRow("fractional size")
        << QByteArray(R"({"bytes":"7F7F7F7E0A01FF050A031E1E","txSize":30.5})")
        << "\"txSize\" must be a whole number from 0 to 255";
    QTest::newRow("short address")
        << QByteArray(R"({"bytes":"7F7F7F7E0A01FF050A031E1E","module":"A01FF05"})")
        << "\"module\" must be a text of 8 hexadecimal digits";
    QTest::newRow("values disagree with bytes")
        << QByteArray(R"({"bytes":"7F7F7F7E0A01FF050A031E1E","power":2})")
        << "\"power\" says 2 but \"bytes\" says 3";
}

void ModemConfigTest::refusesJson()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, error);
    ModemConfig::JsonError message;
    QVERIFY(!ModemConfig::fromJson(json, message));
    QVERIFY2(message.message.startsWith(error), qPrintable(message.message));
}

void ModemConfigTest::editsAndDifferences()
{
    using Setting = ModemConfig::Setting;
    const ModemConfig read = fromHex("7F7F7F7E0A01FF050A031E1E");
    ModemConfig::Edits edits;
    edits[static_cast<size_t>(Setting::Module)] = 0x01020304;
    edits[static_cast<size_t>(Setting::Power)] = 5;
    const ModemConfig wanted = read.withEdits(edits);
    QCOMPARE(hexOf(wanted), QString("7F7F7F7E010203040A051E1E"));
    using Difference = ModemConfig::Difference;
    QCOMPARE(read.differences(wanted),
             (QList<Difference>{
                 {4, "A", "1"}, {5, "1", "2"}, {6, "FF", "3"}, {7, "5", "4"}, {9, "3", "5"}}));
    QVERIFY(wanted.differences(wanted).isEmpty());
    // Each field belongs to one setting, for messages that name settings.
    QCOMPARE(ModemConfig::settingOf(0), Setting::Destination);
    QCOMPARE(ModemConfig::settingOf(7), Setting::Module);
    QCOMPARE(ModemConfig::settingOf(8), Setting::Channel);
    QCOMPARE(ModemConfig::settingOf(11), Setting::RxSize);
}

void ModemConfigTest::namesTheLine_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("start");

    const QByteArray good = "{\n  \"destination\": \"7F7F7F7E\",\n  \"module\": \"0A01FF05\",\n"
                            "  \"channel\": 10,\n  \"power\": 3,\n  \"txSize\": 30,\n"
                            "  \"rxSize\": 30\n}\n";
    QByteArray text = good;
    QTest::newRow("channel as text on line 4")
        << text.replace("\"channel\": 10", "\"channel\": \"ten\"") << 4 << "\"channel\"";
    text = good;
    QTest::newRow("short module on line 3")
        << text.replace("0A01FF05", "0A01") << 3 << "\"module\"";
    text = good;
    QTest::newRow("a comma missing after line 5")
        << text.replace("\"power\": 3,", "\"power\": 3") << 6 << "it is not JSON";
    text = good;
    QTest::newRow("a missing key stands on no line")
        << text.replace("  \"rxSize\": 30\n", "").replace("\"txSize\": 30,", "\"txSize\": 30") << 0
        << "\"rxSize\" is missing";
}

void ModemConfigTest::namesTheLine()
{
    QFETCH(QByteArray, json);
    QFETCH(int, line);
    QFETCH(QString, start);
    ModemConfig::JsonError error;
    QVERIFY(!ModemConfig::fromJson(json, error));
    QVERIFY2(error.message.startsWith(start), qPrintable(error.message));
    QCOMPARE(error.line, line);
}

void ModemConfigTest::readsTextsWithTheSetRules_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("problem");

    const QStringList shown{"7F", "7F", "7F", "7E", "A", "1", "FF", "5", "10", "3", "30", "30"};
    QTest::newRow("as shown") << shown << "7F7F7F7E0A01FF050A031E1E"
                              << "";
    QStringList loose = shown;
    loose[0] = " 7f ";
    loose[8] = "9.6";
    loose[9] = "2abc";
    QTest::newRow("lower case, blanks, fraction, trailing text")
        << loose << "7F7F7F7E0A01FF050A021E1E"
        << "";
    QStringList bad = shown;
    bad[5] = "GG";
    QTest::newRow("not hexadecimal")
        << bad << ""
        << "Type mismatch in QL204 Address byte 2: \"GG\" is not a hexadecimal number. Enter 0 to "
           "FF.";
    bad = shown;
    bad[10] = "300";
    QTest::newRow("above 255") << bad << ""
                               << "Tx Packet Size: \"300\" is above 255. Enter 0 to 255.";
    bad = shown;
    bad[9] = "-2";
    QTest::newRow("negative") << bad << ""
                              << "Invalid procedure call or argument in Tx Power: \"-2\" is "
                                 "negative. Enter 0 to 255.";
}

void ModemConfigTest::readsTextsWithTheSetRules()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, hex);
    QFETCH(QString, problem);
    ModemConfig::Texts fields;
    std::copy(texts.cbegin(), texts.cend(), fields.begin());
    QString said;
    const std::optional<ModemConfig> config = ModemConfig::fromTexts(fields, said);
    QCOMPARE(config ? hexOf(*config) : QString(), hex);
    QCOMPARE(said, problem);
}

QTEST_GUILESS_MAIN(ModemConfigTest)
#include "tst_modemconfig.moc"
