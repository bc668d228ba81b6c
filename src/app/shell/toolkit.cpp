// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit.h"

#include "system/hostsystem.h"

#include <QApplication>
#include <QFont>

#include <cstring>

void Toolkit::prepareStart(int argc, char *argv[])
{
    if (!HostSystem::isWine() || qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return;
    }
    // Under Wine, Qt's default GDI font engine leaves the text of line
    // edits undrawn; the FreeType engine draws all of it.
    qputenv("QT_QPA_PLATFORM", "windows:fontengine=freetype");
}

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
