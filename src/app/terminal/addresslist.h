// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class AddressFile;
class Dialogs;
class QComboBox;

// "Add" on the Terminal page: asks for a destination address, appends it to
// the address file and, once written, to the list.
class AddressList
{
public:
    AddressList(Dialogs &dialogs, const AddressFile &file);

    void Command6_Click(QComboBox &combo4);

private:
    Dialogs &m_dialogs;
    const AddressFile &m_file;
};
