#include "addresslist.h"

#include "addressentry.h"
#include "modem/configwrite.h"
#include "platform/addressfile.h"
#include "platform/dialogs.h"
#include "shell/application.h"
#include "shell/form1ui.h"
#include "shell/formstate.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopeGuard>

AddressList::AddressList(const FormContext &context, const AddressFile &file,
                         ConfigWrite &configWrite)
    : m_context(context)
    , m_file(file)
    , m_configWrite(configWrite)
{}

void AddressList::Command6_Click()
{
    const QString typed = m_context.dialogs.inputBox(QStringLiteral("Enter Destination Address:-"),
                                                     QStringLiteral("Add Address"));
    const QString address = AddressEntry::normalize(typed);
    if (!AddressEntry::hasValidLength(address)) {
        m_context.dialogs.messageBox(QStringLiteral("Must be 8 digit ie 7F7F7F7F"),
                                     Application::title());
        return;
    }
    const QString failure = m_file.append(address);
    if (!failure.isEmpty()) {
        m_context.dialogs.messageBox(
            QStringLiteral("Error!! The address was not added. ") + failure, Application::title());
        return;
    }
    m_context.ui.Combo4->addItem(address);
}

void AddressList::Combo4_Click()
{
    Form1Ui &ui = m_context.ui;
    const auto pieces = AddressEntry::pieces(ui.Combo4->currentText());
    QLineEdit *const destination[] = {ui.Text1, ui.Text2, ui.Text3, ui.Text4};
    for (size_t i = 0; i < pieces.size(); ++i)
        destination[i]->setText(pieces[i]);

    FormState &state = m_context.state;
    state.TermEcho = false;
    {
        // Echo comes back on also when the write fails.
        const auto echoOn = qScopeGuard([&state] { state.TermEcho = true; });
        m_configWrite.Command2_Click();
    }
    ui.Text14->setFocus();
}
