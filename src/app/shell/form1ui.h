// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "modem/modemconfig.h"
#include "namedcombobox.h"

#include <QtGlobal>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QWidget;
class TerminalView;
class Twips;

// The controls of the main window, built in code from the window's twips
// layout. Every control carries its name as object name, so tests find it.
class Form1Ui
{
public:
    // The pages of TabStrip1, in tab order.
    enum class Page
    {
        ModemSetup,
        CommsPortSetup,
        Terminal,
    };

    void setupUi(QWidget *formWidget);

    // Text1 to Text12 in packet order.
    std::array<QLineEdit *, ModemConfig::kByteCount> configFields() const;

    // Panel 1 of the status bar; every writer replaces the whole text.
    QString statusText() const;
    void setStatusText(const QString &text);
    // The bar shows the short text; its tool tip always holds the whole one.
    void setShortStatus(const QString &text, const QString &whole);
    QString wholeStatus() const;
    // The window's mouse pointer: the hourglass while an operation with the
    // modem runs, the default otherwise.
    void setBusyPointer(bool busy);

    Page currentPage() const;
    void showPage(Page page);

    QWidget *window = nullptr;

    QTabWidget *TabStrip1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QPushButton *Command7 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QLabel *StatusPanel1 = nullptr;

    QWidget *ModemPic = nullptr;
    QWidget *CommsPic = nullptr;
    QWidget *TermPic = nullptr;

    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text3 = nullptr;
    QLineEdit *Text4 = nullptr;
    QLineEdit *Text5 = nullptr;
    QLineEdit *Text6 = nullptr;
    QLineEdit *Text7 = nullptr;
    QLineEdit *Text8 = nullptr;
    QLineEdit *Text9 = nullptr;
    QLineEdit *Text10 = nullptr;
    QLineEdit *Text11 = nullptr;
    QLineEdit *Text12 = nullptr;
    QLineEdit *BRText = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    // The twelve fields to and from a configuration file.
    QPushButton *SaveConfig = nullptr;
    QPushButton *OpenConfig = nullptr;
    QPushButton *CompareConfig = nullptr;

    TerminalView *Text13 = nullptr;
    QPlainTextEdit *Text14 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command4 = nullptr;
    NamedComboBox *Combo4 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *Command5 = nullptr;

    NamedComboBox *Combo1 = nullptr;
    NamedComboBox *Combo2 = nullptr;
    // Below the two lists: the device the comm port maps to and what it is,
    // the devices present to map it to, and "Find Modem" with its progress.
    QLabel *DeviceLine = nullptr;
    QLabel *DeviceListLabel = nullptr;
    NamedComboBox *DeviceList = nullptr;
    QPushButton *FindModem = nullptr;
    QCheckBox *ScanEveryUsb = nullptr;
    QProgressBar *ScanProgress = nullptr;
    QPushButton *ScanCancel = nullptr;
    QLabel *ScanStatus = nullptr;

private:
    void setupWindow(QWidget *formWidget, const Twips &twips);
    void setupModemPage(const Twips &twips);
    void setupFileButtons(const Twips &twips);
    void setupTerminalPage(const Twips &twips);
    void setupCommsPage(const Twips &twips);
    void setupDeviceControls(const Twips &twips);
    void setupStatusBar(QWidget *formWidget, const Twips &twips);
    void setupTabOrder();
};
