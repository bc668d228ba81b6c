// SPDX-License-Identifier: GPL-3.0-or-later
#include "replydecoder.h"

#include "rxring.h"

ModemConfig::Texts ReplyDecoder::decode(const RxRing &buffer)
{
    ModemConfig::Texts texts;
    for (int slot = 0; slot < ModemConfig::kByteCount; ++slot) {
        const QString &chunk = buffer.slot(slot);
        texts[static_cast<size_t>(slot)] =
            chunk.isEmpty()
                ? ModemConfig::kUnread
                : ModemConfig::fieldText(slot, static_cast<quint8>(chunk.front().unicode()));
    }
    return texts;
}
