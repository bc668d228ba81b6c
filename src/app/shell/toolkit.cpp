// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit.h"

#include <QApplication>
#include <QFont>

void Toolkit::prepare()
{
    QApplication::setStyle(QStringLiteral("Fusion"));
    QFont dialogFont;
    // Liberation Sans keeps the metrics of the classic dialog fonts.
    dialogFont.setFamilies({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                            QStringLiteral("Liberation Sans")});
    dialogFont.setStyleHint(QFont::SansSerif);
    dialogFont.setPointSizeF(8.25);
    QApplication::setFont(dialogFont);
}
