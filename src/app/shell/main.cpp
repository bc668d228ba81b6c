// SPDX-License-Identifier: GPL-3.0-or-later
#include "address/addressfolder.h"
#include "form1.h"
#include "platformobjects.h"
#include "system/interruptwatcher.h"
#include "system/localenotice.h"
#include "toolkit.h"
#include "widgets/commoncontrols.h"
#include "widgets/widgetdialogs.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

namespace {
void showCentred(QWidget &window)
{
    if (const QScreen *screen = window.screen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
    window.show();
}
} // namespace

int main(int argc, char *argv[])
{
    // The toolkit needs no registration of its controls; a failure here would
    // be ignored all the same.
    InitCommonControlsEx({sizeof(InitCommonControlsExRecord), ICC_USEREX_CLASSES});

    LocaleNotice::silence();
    Toolkit::prepareStart(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("MIRAN"));
    QApplication::setOrganizationName(QStringLiteral("MIRAN"));
    // Early, so that no signal of the run is missed.
    InterruptWatcher interrupts;
    Toolkit::prepare();

    PlatformObjects platform;
    WidgetDialogs dialogs;
    Form1 form(platform.forWindow(dialogs, AddressFolder::forRunningProgram()));
    dialogs.setParent(&form);
    // A signal (logging out, kill) ends the program as closing the window
    // does, and a modem in command mode is taken out of it first.
    const auto endRun = [&form] {
        form.session().abort();
        form.close();
    };
    QObject::connect(&interrupts, &InterruptWatcher::interrupted, &form, endRun);
    showCentred(form);
    if (interrupts.received() != 0)
        QTimer::singleShot(0, &form, endRun);
    const int code = QApplication::exec();
    return interrupts.received() != 0 ? 128 + interrupts.received() : code;
}
