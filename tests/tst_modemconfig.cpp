// The configuration as the command line prints, reads and writes it: six
// lines or one JSON object out, the session's field texts in, a "read --json"
// file back in, and the texts handed to the window's packet builder.
#include "modem/configpacket.h"
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
    QString error;
    const std::optional<ModemConfig> back = ModemConfig::fromJson(json.toUtf8(), error);
    QVERIFY2(back, qPrintable(error));
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
    const std::optional<ModemConfig> config = ModemConfig::fromFieldTexts(texts);
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
    const QStringList texts = ModemConfig(fromHex(hex.toLatin1().constData())).fieldTexts();
    ConfigPacket::FieldTexts fields;
    std::copy(texts.cbegin(), texts.cend(), fields.begin());
    const ConfigPacket::Result result = ConfigPacket::build(fields);
    QCOMPARE(result.status, ConfigPacket::Status::Built);
    QCOMPARE(result.packet.toLatin1().toHex().toUpper(), hex.toLatin1());
    QCOMPARE(ModemConfig::fromFieldTexts(texts).has_value(), true);
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
    QString error;
    const std::optional<ModemConfig> config = ModemConfig::fromJson(json, error);
    QVERIFY2(config, qPrintable(error));
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
    QString message;
    QVERIFY(!ModemConfig::fromJson(json, message));
    QVERIFY2(message.startsWith(error), qPrintable(message));
}

void ModemConfigTest::editsAndDifferences()
{
    using Field = ModemConfig::Field;
    const ModemConfig read = fromHex("7F7F7F7E0A01FF050A031E1E");
    ModemConfig::Edits edits;
    edits[static_cast<size_t>(Field::Module)] = 0x01020304;
    edits[static_cast<size_t>(Field::Power)] = 5;
    const ModemConfig wanted = read.withEdits(edits);
    QCOMPARE(hexOf(wanted), QString("7F7F7F7E010203040A051E1E"));
    QCOMPARE(read.differences(wanted), (QList<Field>{Field::Module, Field::Power}));
    QVERIFY(wanted.differences(wanted).isEmpty());
}

QTEST_GUILESS_MAIN(ModemConfigTest)
#include "tst_modemconfig.moc"
