#pragma once

#include "shell/formcontext.h"

class AddressFile;
class ConfigWrite;

// The destination-address list on the Terminal page: "Add" appends to the
// address file and the list; choosing an entry writes it into the modem.
class AddressList
{
public:
    AddressList(const FormContext &context, const AddressFile &file, ConfigWrite &configWrite);

    void Command6_Click();
    void Combo4_Click();
    static void Combo4_KeyPress(int &keyAscii) { keyAscii = 0; }

private:
    FormContext m_context;
    const AddressFile &m_file;
    ConfigWrite &m_configWrite;
};
