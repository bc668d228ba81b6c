// SPDX-License-Identifier: GPL-3.0-or-later
#include "modemconfig.h"

#include "numberreader.h"
#include "strictnumber.h"
#include "system/failure.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QRegularExpression>

namespace {
constexpr int kAddressBytes = AddressEntry::kBytes;
constexpr quint32 kLargestByte = StrictNumber::kLargestByte;
constexpr quint32 kLargestAddress = 0xFFFFFFFF;

int firstByte(ModemConfig::Setting setting)
{
    const int index = static_cast<int>(setting);
    return index < 2 ? index * kAddressBytes : 2 * kAddressBytes + (index - 2);
}

std::int16_t readField(int field, const QString &text)
{
    try {
        if (ModemConfig::isHexField(field))
            return NumberReader::toInteger(QStringLiteral("&H") + text.trimmed());
        return NumberReader::roundToInteger(NumberReader::leadingValue(text));
    } catch (const Failure &failure) {
        if (failure.number() == FailureNumber::TypeMismatch)
            throw Failure(failure.number(),
                          QStringLiteral("%1 in %2: \"%3\" is not a hexadecimal number. Enter 0 "
                                         "to FF.")
                              .arg(failure.description(), ModemConfig::fieldName(field), text));
        throw Failure(failure.number(),
                      QStringLiteral("%1 in %2: \"%3\" is out of range. Enter 0 to 255.")
                          .arg(failure.description(), ModemConfig::fieldName(field), text));
    }
}

// The line of the JSON text at a character offset, counting from 1.
int lineAt(const QByteArray &json, qsizetype offset)
{
    return static_cast<int>(json.first(std::clamp<qsizetype>(offset, 0, json.size())).count('\n')) +
           1;
}

// The line where a key first stands, or 0.
int lineOfKey(const QByteArray &json, const QString &key)
{
    const qsizetype at = json.indexOf(QByteArray('"' + key.toLatin1() + '"'));
    return at < 0 ? 0 : lineAt(json, at);
}

std::optional<quint8> fieldByte(const QString &text, bool hexadecimal)
{
    static const QRegularExpression hexForm(QStringLiteral("^[0-9A-F]{1,2}$"));
    static const QRegularExpression decimalForm(QStringLiteral("^[0-9]{1,3}$"));
    if (!(hexadecimal ? hexForm : decimalForm).match(text).hasMatch())
        return std::nullopt;
    const uint value = text.toUInt(nullptr, hexadecimal ? 16 : 10);
    if (value > kLargestByte)
        return std::nullopt;
    return static_cast<quint8>(value);
}
} // namespace

ModemConfig::Reading ModemConfig::read(const Texts &texts)
{
    Bytes bytes{};
    for (int field = 0; field < kByteCount; ++field) {
        const QString &text = texts[static_cast<size_t>(field)];
        const std::int16_t value = readField(field, text);
        if (value > static_cast<std::int16_t>(kLargestByte))
            return {std::nullopt, field};
        if (value < 0)
            throw Failure(FailureNumber::InvalidArgument,
                          QStringLiteral("Invalid procedure call or argument in %1: \"%2\" is "
                                         "negative. Enter 0 to 255.")
                              .arg(fieldName(field), text));
        bytes[static_cast<size_t>(field)] = static_cast<quint8>(value);
    }
    return {ModemConfig(bytes), -1};
}

std::optional<ModemConfig> ModemConfig::fromTexts(const Texts &texts, QString &problem)
{
    try {
        const Reading reading = read(texts);
        if (!reading.config)
            problem = QStringLiteral("%1: \"%2\" is above 255. Enter 0 to 255.")
                          .arg(fieldName(reading.incorrectField),
                               texts[static_cast<size_t>(reading.incorrectField)]);
        return reading.config;
    } catch (const Failure &failure) {
        problem = failure.description();
        return std::nullopt;
    }
}

std::optional<ModemConfig> ModemConfig::fromShownTexts(const Texts &texts)
{
    Bytes bytes{};
    for (int field = 0; field < kByteCount; ++field) {
        const std::optional<quint8> byte =
            fieldByte(texts[static_cast<size_t>(field)], isHexField(field));
        if (!byte)
            return std::nullopt;
        bytes[static_cast<size_t>(field)] = *byte;
    }
    return ModemConfig(bytes);
}

std::optional<ModemConfig> ModemConfig::fromJson(const QByteArray &json, JsonError &error)
{
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = {QStringLiteral("it is not JSON (%1 at character %2)")
                     .arg(parseError.errorString())
                     .arg(parseError.offset),
                 lineAt(json, parseError.offset)};
        return std::nullopt;
    }
    if (!document.isObject()) {
        error = {QStringLiteral("it holds no JSON object"), 0};
        return std::nullopt;
    }
    const QJsonObject object = document.object();

    std::optional<ModemConfig> fromBytes;
    const QString bytesKey = QStringLiteral("bytes");
    if (object.contains(bytesKey)) {
        static const QRegularExpression form(QStringLiteral("^[0-9A-Fa-f]{24}$"));
        const QJsonValue bytes = object.value(bytesKey);
        if (!bytes.isString() || !form.match(bytes.toString()).hasMatch()) {
            error = {QStringLiteral("\"bytes\" must be 24 hexadecimal digits"),
                     lineOfKey(json, bytesKey)};
            return std::nullopt;
        }
        const QByteArray raw = QByteArray::fromHex(bytes.toString().toLatin1());
        Bytes array{};
        std::copy(raw.cbegin(), raw.cend(), array.begin());
        fromBytes = ModemConfig(array);
    }

    ModemConfig config = fromBytes.value_or(ModemConfig());
    for (const Setting setting : kSettings) {
        const QString key = jsonKey(setting);
        if (!object.contains(key)) {
            if (fromBytes)
                continue;
            error = {QStringLiteral("\"%1\" is missing, and there is no \"bytes\"").arg(key), 0};
            return std::nullopt;
        }
        const QJsonValue given = object.value(key);
        const std::optional<quint32> value =
            isAddress(setting) ? StrictNumber::jsonAddress(given) : StrictNumber::jsonByte(given);
        if (!value) {
            error = {isAddress(setting)
                         ? QStringLiteral("\"%1\" must be a text of %2 hexadecimal digits")
                               .arg(key)
                               .arg(AddressEntry::kLength)
                         : QStringLiteral("\"%1\" must be a whole number from 0 to %2")
                               .arg(key)
                               .arg(kLargestByte),
                     lineOfKey(json, key)};
            return std::nullopt;
        }
        if (fromBytes && fromBytes->value(setting) != *value) {
            ModemConfig shown;
            shown.setValue(setting, *value);
            error = {QStringLiteral("\"%1\" says %2 but \"bytes\" says %3")
                         .arg(key, shown.valueText(setting), fromBytes->valueText(setting)),
                     lineOfKey(json, key)};
            return std::nullopt;
        }
        config.setValue(setting, *value);
    }
    return config;
}

QString ModemConfig::packet() const
{
    QString packet;
    packet.reserve(kByteCount);
    for (const quint8 byte : m_bytes)
        packet.append(QChar(static_cast<char16_t>(byte)));
    return packet;
}

ModemConfig::Texts ModemConfig::texts() const
{
    Texts texts;
    for (int field = 0; field < kByteCount; ++field)
        texts[static_cast<size_t>(field)] = fieldText(field, m_bytes[static_cast<size_t>(field)]);
    return texts;
}

QString ModemConfig::fieldName(int field)
{
    static const std::array<const char *, kByteCount> names = {"Destination Address byte 1",
                                                               "Destination Address byte 2",
                                                               "Destination Address byte 3",
                                                               "Destination Address byte 4",
                                                               "QL204 Address byte 1",
                                                               "QL204 Address byte 2",
                                                               "QL204 Address byte 3",
                                                               "QL204 Address byte 4",
                                                               "RF Channel",
                                                               "Tx Power",
                                                               "Tx Packet Size",
                                                               "Rx Packet Size"};
    return QLatin1String(names.at(static_cast<size_t>(field)));
}

QString ModemConfig::fieldText(int field, quint8 byte)
{
    return isHexField(field) ? QString::number(byte, 16).toUpper() : QString::number(byte);
}

QList<ModemConfig::Difference> ModemConfig::differences(const Texts &shown) const
{
    QList<Difference> result;
    const Texts own = texts();
    for (int field = 0; field < kByteCount; ++field) {
        const QString &sent = own[static_cast<size_t>(field)];
        const QString &reported = shown[static_cast<size_t>(field)];
        if (reported != sent)
            result.append({field, sent, reported == kUnread ? QString() : reported});
    }
    return result;
}

QList<ModemConfig::Difference> ModemConfig::differences(const ModemConfig &other) const
{
    return differences(other.texts());
}

ModemConfig::Setting ModemConfig::settingOf(int field)
{
    if (field < kHexFields)
        return field < kAddressBytes ? Setting::Destination : Setting::Module;
    return kSettings.at(static_cast<size_t>(2 + field - kHexFields));
}

quint32 ModemConfig::value(Setting setting) const
{
    const auto first = static_cast<size_t>(firstByte(setting));
    if (!isAddress(setting))
        return m_bytes[first];
    quint32 value = 0;
    for (size_t i = 0; i < kAddressBytes; ++i)
        value = (value << 8) | m_bytes[first + i];
    return value;
}

void ModemConfig::setValue(Setting setting, quint32 value)
{
    const auto first = static_cast<size_t>(firstByte(setting));
    if (!isAddress(setting)) {
        m_bytes[first] = static_cast<quint8>(std::min(value, kLargestByte));
        return;
    }
    for (size_t i = 0; i < kAddressBytes; ++i)
        m_bytes[first + i] = static_cast<quint8>((value >> (8 * (kAddressBytes - 1 - i))) & 0xFF);
}

ModemConfig ModemConfig::withEdits(const Edits &edits) const
{
    ModemConfig edited = *this;
    for (const Setting setting : kSettings) {
        const std::optional<quint32> &edit = edits[static_cast<size_t>(setting)];
        if (edit)
            edited.setValue(setting,
                            std::min(*edit, isAddress(setting) ? kLargestAddress : kLargestByte));
    }
    return edited;
}

QString ModemConfig::name(Setting setting)
{
    switch (setting) {
    case Setting::Destination:
        return QStringLiteral("destination");
    case Setting::Module:
        return QStringLiteral("module");
    case Setting::Channel:
        return QStringLiteral("channel");
    case Setting::Power:
        return QStringLiteral("power");
    case Setting::TxSize:
        return QStringLiteral("tx-size");
    case Setting::RxSize:
        return QStringLiteral("rx-size");
    }
    return {};
}

QString ModemConfig::jsonKey(Setting setting)
{
    switch (setting) {
    case Setting::TxSize:
        return QStringLiteral("txSize");
    case Setting::RxSize:
        return QStringLiteral("rxSize");
    default:
        return name(setting);
    }
}

QString ModemConfig::valueText(Setting setting) const
{
    return isAddress(setting) ? AddressEntry::text(value(setting))
                              : QString::number(value(setting));
}

QString ModemConfig::toText() const
{
    QString text;
    for (const Setting setting : kSettings)
        text += name(setting) + QLatin1Char(' ') + valueText(setting) + QLatin1Char('\n');
    return text;
}

QString ModemConfig::toJson() const
{
    // Written by hand to keep the keys in packet order.
    QStringList members;
    for (const Setting setting : kSettings) {
        const QString value = isAddress(setting)
                                  ? QLatin1Char('"') + valueText(setting) + QLatin1Char('"')
                                  : valueText(setting);
        members.append(QLatin1Char('"') + jsonKey(setting) + QStringLiteral("\":") + value);
    }
    const QByteArray raw(reinterpret_cast<const char *>(m_bytes.data()), kByteCount);
    members.append(QStringLiteral("\"bytes\":\"") + QString::fromLatin1(raw.toHex().toUpper()) +
                   QLatin1Char('"'));
    return QLatin1Char('{') + members.join(QLatin1Char(',')) + QLatin1Char('}');
}
