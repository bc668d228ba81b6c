// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "modemconfig.h"

class RxRing;

// Turns the first twelve slots of the receive buffer into the texts of the
// twelve configuration fields, "??" for a slot that holds nothing.
class ReplyDecoder
{
public:
    static ModemConfig::Texts decode(const RxRing &buffer);
};
