#include "configpacket.h"

#include "numberreader.h"
#include "platform/failure.h"

namespace {
constexpr int kLargestByte = 255;

std::int16_t readField(int field, const QString &text)
{
    try {
        if (ConfigPacket::isHexField(field))
            return NumberReader::toInteger(QStringLiteral("&H") + text.trimmed());
        return NumberReader::roundToInteger(NumberReader::leadingValue(text));
    } catch (const Failure &failure) {
        if (failure.number() == FailureNumber::TypeMismatch)
            throw;
        throw Failure(failure.number(),
                      QStringLiteral("%1 in %2: \"%3\" is out of range. Enter 0 to 255.")
                          .arg(failure.description(), ConfigPacket::fieldName(field), text));
    }
}
} // namespace

ConfigPacket::Result ConfigPacket::build(const FieldTexts &texts)
{
    Result result;
    result.packet.reserve(kSize);
    for (int field = 0; field < kSize; ++field) {
        const QString &text = texts[static_cast<size_t>(field)];
        const std::int16_t value = readField(field, text);
        if (value > kLargestByte) {
            result.status = Status::IncorrectValue;
            result.field = field;
            result.packet.clear();
            return result;
        }
        if (value < 0)
            throw Failure(FailureNumber::InvalidArgument,
                          QStringLiteral("Invalid procedure call or argument in %1: \"%2\" is "
                                         "negative. Enter 0 to 255.")
                              .arg(fieldName(field), text));
        result.packet.append(QChar(static_cast<char16_t>(value)));
    }
    return result;
}

QString ConfigPacket::fieldName(int field)
{
    static const char *const names[kSize] = {"Destination Address byte 1",
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
    return QLatin1String(names[field]);
}
