#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// A modem's twelve configuration bytes as the command line names them: two
// four-byte addresses and four one-byte numbers. It reads the session's field
// texts, gives the texts to write into them, and prints itself as six lines or
// as one JSON object.
class ModemConfig
{
public:
    static constexpr int kByteCount = 12;
    using Bytes = std::array<quint8, kByteCount>;

    // In packet order.
    enum class Field
    {
        Destination,
        Module,
        Channel,
        Power,
        TxSize,
        RxSize,
    };
    static constexpr int kFieldCount = 6;
    static constexpr std::array<Field, kFieldCount> kFields{Field::Destination, Field::Module,
                                                            Field::Channel,     Field::Power,
                                                            Field::TxSize,      Field::RxSize};

    // A value per field, for the fields to replace.
    using Edits = std::array<std::optional<quint32>, kFieldCount>;

    ModemConfig() = default;
    explicit ModemConfig(const Bytes &bytes)
        : m_bytes(bytes)
    {}

    // The twelve texts the session decoded; nothing when one holds no byte
    // ("??") or is not in the form the session writes.
    static std::optional<ModemConfig> fromFieldTexts(const QStringList &texts);
    // An object that "read --json" printed. On failure error says what is
    // wrong with it.
    static std::optional<ModemConfig> fromJson(const QByteArray &json, QString &error);

    const Bytes &bytes() const { return m_bytes; }
    // The texts to put into the session's twelve fields.
    QStringList fieldTexts() const;

    quint32 value(Field field) const;
    ModemConfig withEdits(const Edits &edits) const;
    // The fields whose values differ from the other's, in packet order.
    QList<Field> differences(const ModemConfig &other) const;

    // "destination", "module", "channel", "power", "tx-size", "rx-size".
    static QString name(Field field);
    // "destination", "module", "channel", "power", "txSize", "rxSize".
    static QString jsonKey(Field field);
    static bool isAddress(Field field)
    {
        return field == Field::Destination || field == Field::Module;
    }

    // An address as 8 upper-case hexadecimal digits, a number in decimal.
    QString valueText(Field field) const;
    // Six lines "name value", each ending in a line feed.
    QString toText() const;
    // One line: the six values and "bytes", 24 hexadecimal digits.
    QString toJson() const;

private:
    void setValue(Field field, quint32 value);

    Bytes m_bytes{};
};
