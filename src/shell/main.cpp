#include "form1.h"
#include "platform/addressfolder.h"
#include "platform/commoncontrols.h"
#include "platform/mscomm.h"
#include "platform/portmap.h"
#include "platform/qteventpump.h"
#include "platform/settingsstore.h"
#include "platform/steadyclock.h"
#include "platform/widgetdialogs.h"
#include "toolkit.h"

#include <QApplication>
#include <QScreen>

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

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("MIRAN"));
    QApplication::setOrganizationName(QStringLiteral("MIRAN"));
    Toolkit::prepare();

    SettingsStore settings;
    const PortMap portMap(settings);
    MSComm comm(portMap);
    WidgetDialogs dialogs;
    const SteadyClock clock;
    QtEventPump pump;
    Form1 form({settings, portMap, comm, dialogs, clock, pump, AddressFolder::forRunningProgram()});
    dialogs.setParent(&form);
    showCentred(form);
    return QApplication::exec();
}
