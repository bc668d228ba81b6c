#pragma once

#include "formcontext.h"
#include "formstate.h"
#include "modem/commandmode.h"
#include "modem/configwrite.h"
#include "modem/readback.h"
#include "modem/timedwait.h"
#include "platform/addressfile.h"
#include "serial/portconnection.h"
#include "serial/receiver.h"
#include "terminal/addresslist.h"
#include "terminal/terminalpage.h"

#include <QWidget>

#include <functional>
#include <memory>

class Clock;
class CommControl;
class Dialogs;
class EventPump;
class Form1Ui;
class PortMap;
class SettingsStore;

// The program's one window. It owns the controls and the form-level state and
// routes every window event to its handler; the handlers live with their
// subsystems (port connection, receive, command mode, read-back, write,
// terminal, address list).
class Form1 final : public QWidget
{
    Q_OBJECT

public:
    // What the window works with; all of it outlives the window.
    struct Platform
    {
        SettingsStore &settings;
        const PortMap &portMap;
        CommControl &comm;
        Dialogs &dialogs;
        const Clock &clock;
        EventPump &pump;
        // The folder that holds Address.txt (see AddressFolder).
        QString programFolder;
    };

    explicit Form1(const Platform &platform, QWidget *parent = nullptr);
    ~Form1() override;

    void Form_Load();
    void Form_Unload(bool &cancel);
    void TabStrip1_Click();

    Form1Ui &ui() { return *m_ui; }
    FormState &state() { return m_state; }
    PortConnection &portConnection() { return m_portConnection; }
    Receiver &receiver() { return m_receiver; }
    CommandMode &commandMode() { return m_commandMode; }
    ReadBack &readBack() { return m_readBack; }
    ConfigWrite &configWrite() { return m_configWrite; }
    TerminalPage &terminalPage() { return m_terminalPage; }
    AddressList &addressList() { return m_addressList; }
    TimedWait &timedWait() { return m_timedWait; }
    const AddressFile &addressFile() const { return m_addressFile; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void wireWindow();
    void wireSerial();
    void wireModemPage();
    void wireTerminalPage();
    void loadAddressList();

    // Last-resort guard for every entry from the event loop: a failure is
    // shown and the program keeps running.
    void guard(const std::function<void()> &handler);
    // The same, refused while a modem exchange waits.
    void unlessExchangeRunning(const std::function<void()> &handler,
                               const std::function<void()> &refused = {});

    std::unique_ptr<Form1Ui> m_ui;
    FormState m_state;
    Platform m_platform;
    FormContext m_context;
    AddressFile m_addressFile;
    TimedWait m_timedWait;
    CommandMode m_commandMode;
    ReadBack m_readBack;
    Receiver m_receiver;
    PortConnection m_portConnection;
    ConfigWrite m_configWrite;
    TerminalPage m_terminalPage;
    AddressList m_addressList;
    // Combo4's text as last chosen, put back when a choice is refused.
    QString m_addressShown;
};
