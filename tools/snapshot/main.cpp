// SPDX-License-Identifier: GPL-3.0-or-later
// Saves a picture of each page of the main window, as a user would see it on
// the screen, to the folder given as the first argument (default: shots).
// With a device as second argument, comm port 1 maps to it and one more
// picture shows the Comms Port Setup page while "Find Modem" runs there.
// With "unplug" as third argument, the last picture instead shows the window
// after the device behind comm port 1 went away while connected (the
// simulator was told to unplug it), with the status bar's tool tip open.
#include "modem/modemscan.h"
#include "serial/portmap.h"
#include "shell/form1.h"
#include "shell/form1ui.h"
#include "shell/platformobjects.h"
#include "shell/toolkit.h"
#include "widgets/widgetdialogs.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QToolTip>

namespace {
// Connects, waits until the device is gone, and saves the window with the
// status bar's tool tip drawn under the bar's text, as the user sees it on
// pointing there.
bool saveAfterUnplug(Form1 &form, const QString &file)
{
    Form1Ui &ui = form.ui();
    ui.TabStrip1->setCurrentIndex(0);
    ui.Command7->click();
    const QDeadlineTimer deadline(std::chrono::seconds(15));
    while (ui.Command7->text() != QStringLiteral("Connect") && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QApplication::processEvents();
    if (ui.Command7->text() != QStringLiteral("Connect"))
        return false;

    QLabel tip(ui.StatusPanel1->toolTip());
    tip.setPalette(QToolTip::palette());
    tip.setFont(QToolTip::font());
    tip.setAutoFillBackground(true);
    tip.setFrameStyle(QFrame::Box);
    tip.setMargin(3);
    tip.setWordWrap(true);
    tip.setFixedWidth(form.width() - 16);
    tip.adjustSize();
    QPixmap picture = form.grab();
    QPixmap withTip(picture.width(), picture.height() + tip.height() + 8);
    withTip.fill(Qt::white);
    QPainter painter(&withTip);
    painter.drawPixmap(0, 0, picture);
    painter.drawPixmap(8, picture.height() + 4, tip.grab());
    painter.end();
    return withTip.save(file);
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Toolkit::prepare();
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("shots");
    QDir().mkpath(outDir);

    // A private settings file and program folder, so nothing of the user's
    // is read or written.
    const QTemporaryDir scratch;
    PlatformObjects platform(scratch.filePath(QStringLiteral("MIRAN.ini")));
    const QString device = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (!device.isEmpty())
        PortMap::assign(platform.settings, 1, device);
    WidgetDialogs dialogs;
    Form1 form(platform.forWindow(dialogs, scratch.path()));
    form.show();

    QTextStream out(stdout);
    const char *const names[] = {"modem-setup", "comms-port-setup", "terminal"};
    for (int tab = 0; tab < 3; ++tab) {
        form.ui().TabStrip1->setCurrentIndex(tab);
        QApplication::processEvents();
        const QString file =
            QDir(outDir).filePath(QLatin1String(names[tab]) + QStringLiteral(".png"));
        if (!form.grab().save(file))
            return 1;
        out << file << '\n';
    }
    if (device.isEmpty())
        return 0;

    if (argc > 3 && QString::fromLocal8Bit(argv[3]) == QStringLiteral("unplug")) {
        const QString unplugFile = QDir(outDir).filePath(QStringLiteral("status-after-unplug.png"));
        if (!saveAfterUnplug(form, unplugFile))
            return 1;
        out << unplugFile << '\n';
        return 0;
    }

    form.ui().TabStrip1->setCurrentIndex(1);
    const QString scanFile = QDir(outDir).filePath(QStringLiteral("comms-port-scan.png"));
    bool saved = false;
    constexpr int kShownAttempt = 2;
    QObject::connect(&form.commsPage().scan(), &ModemScan::trying, &form,
                     [&](const QString &, const QString &, int attempt, int) {
                         if (attempt != kShownAttempt)
                             return;
                         QApplication::processEvents();
                         saved = form.grab().save(scanFile);
                     });
    form.ui().FindModem->click();
    if (!saved)
        return 1;
    out << scanFile << '\n';
    return 0;
}
