#pragma once

#include <QString>

#include <array>

// Builds the 12-byte configuration packet from the texts of the twelve
// configuration fields: eight hexadecimal address bytes, then RF channel, Tx
// power, Tx packet size and Rx packet size in decimal.
class ConfigPacket
{
public:
    static constexpr int kSize = 12;
    static constexpr int kHexFields = 8;
    using FieldTexts = std::array<QString, kSize>;

    enum class Status
    {
        Built,
        IncorrectValue
    };

    struct Result
    {
        Status status = Status::Built;
        // One character per byte, the character's code being the byte.
        QString packet;
        // The field that stopped the build, 0 to 11.
        int field = -1;
    };

    // Reads the fields in packet order and stops at the first bad one: a value
    // above 255 gives IncorrectValue; a hexadecimal field that is not a
    // number throws TypeMismatch; overflow and a negative value throw too,
    // with a description that names the field.
    static Result build(const FieldTexts &texts);

    static QString fieldName(int field);
    static bool isHexField(int field) { return field < kHexFields; }
};
