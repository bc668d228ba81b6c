// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "address/addressentry.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// The modem's twelve configuration bytes: two four-byte addresses, then RF
// channel, Tx power, Tx packet size and Rx packet size. The window shows them
// as twelve fields (Text1 to Text12), the addresses' bytes in hexadecimal and
// the rest in decimal; the command line names them as six settings. It reads
// the fields' texts with the number rules a Set uses, gives the texts to show,
// compares two configurations field by field, and reads and writes the one
// JSON object miran-cli prints and the window saves.
class ModemConfig
{
public:
    static constexpr int kByteCount = 12;
    // The two addresses' bytes come first, shown in hexadecimal.
    static constexpr int kHexFields = 2 * AddressEntry::kBytes;
    using Bytes = std::array<quint8, kByteCount>;
    // One text per field, in packet order.
    using Texts = std::array<QString, kByteCount>;

    // The six settings, in packet order.
    enum class Setting
    {
        Destination,
        Module,
        Channel,
        Power,
        TxSize,
        RxSize,
    };
    static constexpr int kSettingCount = 6;
    static constexpr std::array<Setting, kSettingCount> kSettings{
        Setting::Destination, Setting::Module, Setting::Channel,
        Setting::Power,       Setting::TxSize, Setting::RxSize};

    // A value per setting, for the settings to replace.
    using Edits = std::array<std::optional<quint32>, kSettingCount>;

    // A field whose value differs, both values in the field's own form ("7E",
    // "5"); reported is empty when the other side has no value there.
    struct Difference
    {
        int field = 0;
        QString sent;
        QString reported;

        bool operator==(const Difference &) const = default;
    };

    // The field texts read with the number rules.
    struct Reading;

    // What makes a file not a configuration: message names the key, line is
    // where it stands (1 for the first line, 0 when not known).
    struct JsonError
    {
        QString message;
        int line = 0;
    };

    // What a field shows when the reply did not reach it.
    static inline const QString kUnread = QStringLiteral("??");

    ModemConfig() = default;
    explicit ModemConfig(const Bytes &bytes)
        : m_bytes(bytes)
    {}

    // Reads the fields in packet order and stops at the first bad one: a
    // hexadecimal field that is not a number throws TypeMismatch; overflow and
    // a negative value throw too. Every description names the field.
    static Reading read(const Texts &texts);
    // The same reading for a front end: nothing, and one sentence naming the
    // field in problem, when a field cannot be read.
    static std::optional<ModemConfig> fromTexts(const Texts &texts, QString &problem);
    // The texts as they are shown after a read-back ("7F", "30"), and only
    // those: nothing when one holds no byte ("??") or is in another form.
    static std::optional<ModemConfig> fromShownTexts(const Texts &texts);
    // An object that "read --json" printed or the window saved; other keys
    // are ignored.
    static std::optional<ModemConfig> fromJson(const QByteArray &json, JsonError &error);

    const Bytes &bytes() const { return m_bytes; }
    // One character per byte, the character's code being the byte.
    QString packet() const;
    // The texts to show in the twelve fields.
    Texts texts() const;

    // "Destination Address byte 1" ... "Rx Packet Size".
    static QString fieldName(int field);
    static bool isHexField(int field) { return field < kHexFields; }
    // A byte in its field's form: upper-case hexadecimal or decimal.
    static QString fieldText(int field, quint8 byte);

    // The fields whose shown text is not this configuration's; a field shown
    // as "??" differs with an empty reported text.
    QList<Difference> differences(const Texts &shown) const;
    QList<Difference> differences(const ModemConfig &other) const;

    quint32 value(Setting setting) const;
    ModemConfig withEdits(const Edits &edits) const;
    // The setting a field belongs to.
    static Setting settingOf(int field);

    // "destination", "module", "channel", "power", "tx-size", "rx-size".
    static QString name(Setting setting);
    // "destination", "module", "channel", "power", "txSize", "rxSize".
    static QString jsonKey(Setting setting);
    static bool isAddress(Setting setting)
    {
        return setting == Setting::Destination || setting == Setting::Module;
    }

    // An address in upper-case hexadecimal, a number in decimal.
    QString valueText(Setting setting) const;
    // Six lines "name value", each ending in a line feed.
    QString toText() const;
    // One line: the six values and "bytes", 24 hexadecimal digits.
    QString toJson() const;

    bool operator==(const ModemConfig &) const = default;

private:
    void setValue(Setting setting, quint32 value);

    Bytes m_bytes{};
};

// When a field holds a value above 255, config is empty and incorrectField
// names it.
struct ModemConfig::Reading
{
    std::optional<ModemConfig> config;
    int incorrectField = -1;
};
