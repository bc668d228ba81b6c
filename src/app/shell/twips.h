// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>

// Converts the window's twips layout (1440 twips an inch) to pixels at the
// screen's logical resolution: 15 twips a pixel at 96 DPI.
class Twips
{
public:
    explicit Twips(double dotsPerInch)
        : m_dotsPerInch(dotsPerInch)
    {}

    int toPixels(int twips) const;
    QRect rect(int left, int top, int width, int height) const;

private:
    double m_dotsPerInch;
};
