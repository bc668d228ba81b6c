// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "modemview.h"

#include <QString>

#include <initializer_list>
#include <utility>

class CommControl;
class Dialogs;
class LineGuard;

// The session's port as its view shows it: opened at the view's baud rate on
// the comm port in force, closed, or lost under the program, with what the
// caption, the buttons and the status say about each. It counts the losses,
// so that an exchange can tell that one happened while it ran.
class PortConnection
{
public:
    PortConnection(CommControl &comm, Dialogs &dialogs, LineGuard &line, ModemView &view);

    // The view that hears of it; a scan's try gives its own for a while.
    void setView(ModemView &view) { m_view = &view; }

    // The comm port number in force, as text.
    const QString &portSetting() const { return PortSetting; }
    void setPortSetting(const QString &port) { PortSetting = port; }

    // Opens the port; a failure throws, as the serial component reports it.
    void open();
    // Opens the port and says whether it opened; a failure is shown in a box
    // and stays the status until showOpenFailure() is asked again.
    bool OpenComms();
    void CloseComms();
    // The serial component lost the device under the open port.
    void lost(const QString &description, int number);

    void showOpenFailure() const;
    void showLoss() const;
    int losses() const { return m_losses; }
    // What the serial component said when the port was last lost.
    const QString &lossDescription() const { return m_lossDescription; }

private:
    void openFailed(int number, const QString &description);
    void setButtonsEnabled(std::initializer_list<ModemView::Button> buttons, bool enabled);

    CommControl &m_comm;
    Dialogs &m_dialogs;
    LineGuard &m_line;
    ModemView *m_view;
    QString PortSetting;
    // Why the last open failed, short and whole; empty after an open that
    // worked.
    std::pair<QString, QString> m_openFailure;
    // The last loss's short status and whole text, and the serial
    // component's own words for it.
    std::pair<QString, QString> m_lossStatus;
    QString m_lossDescription;
    int m_losses = 0;
};
