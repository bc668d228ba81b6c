// SPDX-License-Identifier: GPL-3.0-or-later
// A second run of the window for the settings round trip: it starts the
// window on the user's own settings store (the environment points that at a
// temporary folder), optionally changes the port and baud texts, closes the
// window and prints what the window showed.
//   settings_probe <program folder> [<port> <baud>]
#include "support/core/recordingdialogs.h"

#include "shell/form1.h"
#include "shell/form1ui.h"
#include "shell/platformobjects.h"

#include <QApplication>
#include <QComboBox>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2 && args.size() != 4)
        return 2;

    PlatformObjects platform;
    RecordingDialogs dialogs;
    Form1 form(platform.forWindow(dialogs, args.at(1)));
    form.show();

    QTextStream out(stdout);
    out << form.ui().Combo1->currentText() << '\n' << form.ui().Combo2->currentText() << '\n';
    if (args.size() == 4) {
        form.ui().Combo1->setEditText(args.at(2));
        form.ui().Combo2->setEditText(args.at(3));
    }
    form.close();
    for (const RecordingDialogs::Box &box : dialogs.messages)
        out << "box: " << box.title << ": " << box.prompt << '\n';
    out << "file: " << platform.settings.fileName() << '\n';
    return 0;
}
