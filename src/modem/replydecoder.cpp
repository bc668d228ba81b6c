#include "replydecoder.h"

#include "configpacket.h"
#include "rxring.h"

std::array<QString, 12> ReplyDecoder::decode(const RxRing &buffer)
{
    std::array<QString, 12> texts;
    for (int slot = 0; slot < ConfigPacket::kSize; ++slot) {
        const QString &chunk = buffer.slot(slot);
        QString &text = texts[static_cast<size_t>(slot)];
        if (chunk.isEmpty()) {
            text = QStringLiteral("??");
            continue;
        }
        const int code = chunk.front().unicode();
        text = ConfigPacket::isHexField(slot) ? QString::number(code, 16).toUpper()
                                              : QString::number(code);
    }
    return texts;
}
