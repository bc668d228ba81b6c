#pragma once

#include "shell/formcontext.h"

#include <QString>

class PortMap;
class ReadBack;

// Opens and closes the serial port and keeps the window's connection state in
// step with it. Every connection attempt is followed by a read-back.
class PortConnection
{
public:
    PortConnection(const FormContext &context, const PortMap &portMap, ReadBack &readBack);

    void OpenComms();
    void CloseComms();

    void Command7_Click();
    void Combo1_Click();
    static void Combo1_KeyPress(int &keyAscii) { keyAscii = 0; }
    static void Combo2_KeyPress(int &keyAscii) { keyAscii = 0; }

    // The port failed under the program; the component has closed it.
    void portLost(const QString &description);

    // Shows, as Combo1's tool tip, the device the port number maps to.
    void showDevice(const QString &portText);

private:
    void openPort();
    void openFailed(int number, const QString &description);
    void showClosedState();

    FormContext m_context;
    const PortMap &m_portMap;
    ReadBack &m_readBack;
};
