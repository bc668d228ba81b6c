#include "setconfirmation.h"

#include "configpacket.h"

namespace {
const QString kUnread = QStringLiteral("??");
} // namespace

QList<ModemView::Difference> SetConfirmation::differences(const QString &sentPacket,
                                                          const FieldTexts &decoded)
{
    QList<ModemView::Difference> result;
    const qsizetype fields = std::min<qsizetype>(sentPacket.size(), ModemView::kFieldCount);
    for (int field = 0; field < fields; ++field) {
        const QString sent = fieldText(field, sentPacket.at(field).unicode());
        const QString &reported = decoded.at(static_cast<size_t>(field));
        if (reported != sent)
            result.append({field, sent, reported == kUnread ? QString() : reported});
    }
    return result;
}

QString SetConfirmation::fieldText(int field, char16_t byte)
{
    return ConfigPacket::isHexField(field) ? QString::number(byte, 16).toUpper()
                                           : QString::number(byte);
}

QString SetConfirmation::statusSuffix(qsizetype notTaken)
{
    if (notTaken == 0)
        return {};
    return notTaken == 1 ? QStringLiteral(" - 1 field not taken by the modem")
                         : QStringLiteral(" - %1 fields not taken by the modem").arg(notTaken);
}
