// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "address/addressfile.h"
#include "commspage.h"
#include "configfiles.h"
#include "fieldmarks.h"
#include "modem/modemsession.h"
#include "modem/modemview.h"
#include "terminal/addresslist.h"

#include <QWidget>

#include <memory>

class Clock;
class CommControl;
class Dialogs;
class EventPump;
class Form1Ui;
class PortMap;
class SettingsStore;
class Timer;

// The program's one window. It owns the controls, shows what the modem
// session reports through the session's view, and hands every window event to
// its handler: the modem's to the session, the window's own here.
class Form1 final : public QWidget, private ModemView
{
    Q_OBJECT

public:
    // What the window works with; all of it outlives the window.
    struct Platform
    {
        SettingsStore &settings;
        PortMap &portMap;
        CommControl &comm;
        Dialogs &dialogs;
        const Clock &clock;
        EventPump &pump;
        // The quiet-time timer of the receive side.
        Timer &timer;
        // The folder that holds Address.txt (see AddressFolder).
        QString programFolder;
    };

    explicit Form1(const Platform &platform, QWidget *parent = nullptr);
    ~Form1() override;

    void Form_Load();
    void Form_Unload(bool &cancel);
    void TabStrip1_Click();

    Form1Ui &ui() { return *m_ui; }
    ModemSession &session() { return m_session; }
    CommsPage &commsPage() { return *m_commsPage; }
    ConfigFiles &configFiles() { return *m_configFiles; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // ModemView
    QString fieldText(int field) const override;
    void setFieldText(int field, const QString &text) override;
    void setBytesReceived(const QString &text) override;
    QString statusText() const override;
    void setStatusText(const QString &text) override;
    void setShortStatus(const QString &text, const QString &whole) override;
    QString wholeStatus() const override;
    void setBusyPointer(bool busy) override;
    void setButtonEnabled(Button button, bool enabled) override;
    void setConnectCaption(const QString &caption) override;
    void echoReceived(const QString &chunk) override;
    QString baudRateText() const override;
    void showTerminalPage() override;
    void markNotTaken(const QList<Difference> &differences) override;

    void wireWindow();
    void wireModemPage();
    void wireFileButtons();
    void wireTerminalPage();
    void loadAddressList();
    void reportSkippedAddresses(const QList<qsizetype> &lines);

    void Combo1_Click();
    void Combo4_Click();
    void Command5_Click();
    void Text13_GotFocus(Qt::FocusReason reason);
    // Shows, as Combo1's tool tip, the device the port number maps to.
    void showDevice(const QString &portText);

    std::unique_ptr<Form1Ui> m_ui;
    Platform m_platform;
    ModemSession m_session;
    AddressFile m_addressFile;
    AddressList m_addressList;
    std::unique_ptr<FieldMarks> m_fieldMarks;
    std::unique_ptr<CommsPage> m_commsPage;
    std::unique_ptr<ConfigFiles> m_configFiles;
    // Combo4's text as last chosen, put back when a choice is refused.
    QString m_addressShown;
};
