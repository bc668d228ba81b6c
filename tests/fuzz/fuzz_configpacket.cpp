// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration read from texts: any bytes split at '|' into the twelve
// field texts, read into a packet and, when read, decoded and read once more.
#include "fuzzcheck.h"

#include "modem/modemconfig.h"
#include "modem/numberreader.h"
#include "modem/replydecoder.h"
#include "modem/rxring.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <variant>

using fuzzcheck::Outcome;
using fuzzcheck::outcomeOf;
using fuzzcheck::require;

namespace {

using Fields = ModemConfig::Texts;

// A reading as the packet it gives: the packet, or the field above 255.
struct Result
{
    QString packet;
    int field = -1;
    bool incorrect = false;
};

// Eleven '|' separate the twelve fields; any further ones stay in the last.
Fields splitFields(const QString &text)
{
    Fields fields;
    qsizetype start = 0;
    for (int field = 0; field < ModemConfig::kByteCount - 1; ++field) {
        const qsizetype bar = text.indexOf(QLatin1Char('|'), start);
        if (bar < 0) {
            fields[static_cast<size_t>(field)] = text.mid(start);
            return fields;
        }
        fields[static_cast<size_t>(field)] = text.mid(start, bar - start);
        start = bar + 1;
    }
    fields[ModemConfig::kByteCount - 1] = text.mid(start);
    return fields;
}

// A field's value read the way the packet documents it.
Outcome fieldValue(int field, const QString &text)
{
    if (ModemConfig::isHexField(field))
        return outcomeOf(
            [&text] { return NumberReader::toInteger(QStringLiteral("&H") + text.trimmed()); });
    return outcomeOf(
        [&text] { return NumberReader::roundToInteger(NumberReader::leadingValue(text)); });
}

struct Thrown
{
    int number;
    QString description;
};

using Built = std::variant<Result, Thrown>;

Built build(const Fields &fields)
{
    try {
        const ModemConfig::Reading reading = ModemConfig::read(fields);
        return Result{reading.config ? reading.config->packet() : QString(), reading.incorrectField,
                      !reading.config};
    } catch (const Failure &failure) {
        return Thrown{failure.number(), failure.description()};
    }
}

bool sameResult(const Built &a, const Built &b)
{
    if (a.index() != b.index())
        return false;
    if (const auto *thrown = std::get_if<Thrown>(&a)) {
        const auto &other = std::get<Thrown>(b);
        return thrown->number == other.number && thrown->description == other.description;
    }
    const auto &result = std::get<Result>(a);
    const auto &other = std::get<Result>(b);
    return result.incorrect == other.incorrect && result.packet == other.packet &&
           result.field == other.field;
}

// The first field whose value fails, is negative or is above 255.
std::optional<int> firstBadField(const Fields &fields)
{
    for (int field = 0; field < ModemConfig::kByteCount; ++field) {
        const Outcome value = fieldValue(field, fields[static_cast<size_t>(field)]);
        if (value.failed() || value.value < 0 || value.value > 255)
            return field;
    }
    return std::nullopt;
}

void checkBuilt(const Fields &fields, const Result &result)
{
    require(result.packet.size() == ModemConfig::kByteCount, "a built packet has 12 bytes");
    require(result.field == -1, "a built packet names no field");
    require(!firstBadField(fields), "a packet is built only from good fields");
    for (int field = 0; field < ModemConfig::kByteCount; ++field) {
        const int byte = result.packet.at(field).unicode();
        require(byte <= 255, "every packet character is a byte");
        require(fieldValue(field, fields[static_cast<size_t>(field)]).value == byte,
                "each byte is its field's value");
    }
}

void checkIncorrectValue(const Fields &fields, const Result &result)
{
    require(result.packet.isEmpty(), "an incorrect value leaves no packet");
    require(result.field >= 0 && result.field < ModemConfig::kByteCount, "it names a field");
    require(firstBadField(fields) == result.field, "it names the first bad field");
    const Outcome value = fieldValue(result.field, fields[static_cast<size_t>(result.field)]);
    require(!value.failed() && value.value > 255, "only a value above 255 is incorrect");
}

void checkThrown(const Fields &fields, const Thrown &thrown)
{
    const std::optional<int> bad = firstBadField(fields);
    require(bad.has_value(), "a failure comes from a bad field");
    const Outcome value = fieldValue(*bad, fields[static_cast<size_t>(*bad)]);
    if (value.failed()) {
        require(thrown.number == value.failure, "the field's failure is passed on");
        require(value.failure != FailureNumber::TypeMismatch || ModemConfig::isHexField(*bad),
                "only a hex field is a type mismatch");
    } else {
        require(value.value < 0 && thrown.number == FailureNumber::InvalidArgument,
                "a negative value is an invalid argument");
    }
    require(thrown.description.contains(ModemConfig::fieldName(*bad)),
            "the failure names its field");
}

// The read-back of a built packet shows texts that build the same packet.
void checkReadBack(const QString &packet)
{
    RxRing ring;
    for (const QChar byte : packet) {
        ring.store(QString(byte));
        ring.advance();
    }
    const Built again = build(ReplyDecoder::decode(ring));
    const auto *result = std::get_if<Result>(&again);
    require(result && !result->incorrect && result->packet == packet,
            "a decoded packet builds the same packet");
}

// The raw bytes as received chunks, one per slot: a filled slot shows its first
// character's code, upper-case hex or decimal by field; an empty one "??".
void checkDecode(const std::uint8_t *data, std::size_t size)
{
    RxRing ring;
    const std::size_t chunks = std::min<std::size_t>(size / 2, ModemConfig::kByteCount);
    for (std::size_t i = 0; i < chunks; ++i) {
        ring.store(fuzzcheck::latin1(data + 2 * i, data[2 * i + 1] % 3));
        ring.advance();
    }
    const std::array<QString, ModemConfig::kByteCount> texts = ReplyDecoder::decode(ring);
    for (int slot = 0; slot < ModemConfig::kByteCount; ++slot) {
        const QString &chunk = ring.slot(slot);
        const QString &text = texts[static_cast<size_t>(slot)];
        if (chunk.isEmpty()) {
            require(text == QStringLiteral("??"), "an empty slot shows ??");
            continue;
        }
        const int code = chunk.front().unicode();
        const bool hex = ModemConfig::isHexField(slot);
        bool ok = false;
        require(text.toInt(&ok, hex ? 16 : 10) == code && ok, "a slot shows its code");
        require(text == text.toUpper(), "hex is shown in upper case");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    checkDecode(data, size);
    const Fields fields = splitFields(fuzzcheck::latin1(data, size));
    const Built built = build(fields);
    require(sameResult(built, build(fields)), "building is deterministic");
    if (const auto *thrown = std::get_if<Thrown>(&built)) {
        checkThrown(fields, *thrown);
        return 0;
    }
    const auto &result = std::get<Result>(built);
    if (result.incorrect) {
        checkIncorrectValue(fields, result);
        return 0;
    }
    checkBuilt(fields, result);
    checkReadBack(result.packet);
    return 0;
}
