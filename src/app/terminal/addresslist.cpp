// SPDX-License-Identifier: GPL-3.0-or-later
#include "addresslist.h"

#include "address/addressentry.h"
#include "address/addressfile.h"
#include "system/application.h"
#include "system/dialogs.h"

#include <QComboBox>

AddressList::AddressList(Dialogs &dialogs, const AddressFile &file)
    : m_dialogs(dialogs)
    , m_file(file)
{}

void AddressList::Command6_Click(QComboBox &combo4)
{
    const QString typed = m_dialogs.inputBox(QStringLiteral("Enter Destination Address:-"),
                                             QStringLiteral("Add Address"));
    const QString address = AddressEntry::normalize(typed);
    if (!AddressEntry::hasValidLength(address)) {
        m_dialogs.messageBox(
            QStringLiteral("Must be %1 digit ie 7F7F7F7F").arg(AddressEntry::kLength),
            Application::title());
        return;
    }
    const QString failure = m_file.append(address);
    if (!failure.isEmpty()) {
        m_dialogs.messageBox(QStringLiteral("Error!! The address was not added. ") + failure,
                             Application::title());
        return;
    }
    combo4.addItem(address);
}
