// SPDX-License-Identifier: GPL-3.0-or-later
#include "twips.h"

#include <cmath>

int Twips::toPixels(int twips) const
{
    return static_cast<int>(std::lround(twips * m_dotsPerInch / 1440.0));
}

QRect Twips::rect(int left, int top, int width, int height) const
{
    // Round the edges, not the sizes, so neighbouring controls keep their gaps.
    const int x = toPixels(left);
    const int y = toPixels(top);
    return {x, y, toPixels(left + width) - x, toPixels(top + height) - y};
}
