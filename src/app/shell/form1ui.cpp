// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1ui.h"

#include "namedcombobox.h"
#include "terminal/terminalview.h"
#include "twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>

#include <utility>
#include <vector>

namespace {
const QColor kPanelColour(252, 252, 252);
const QColor kDarkBlue(0, 0, 136);
const QColor kDarkGreen(0, 136, 0);

// Client area of the window, in twips.
constexpr int kFormWidth = 6372;
constexpr int kFormHeight = 7020;
constexpr int kStatusBarHeight = 372;

QFont courierNew(double points, bool bold)
{
    QFont font;
    // Liberation Mono has Courier New's metrics, so the layout holds without it.
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")});
    font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void setColours(QWidget *widget, QPalette::ColorRole role, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

void paintPanelBackground(QWidget *widget)
{
    setColours(widget, QPalette::Window, kPanelColour);
    widget->setAutoFillBackground(true);
}

template<typename Widget>
Widget *place(Widget *widget, const char *name, const QRect &geometry)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

// The layout was made for a narrow dialog font. Where the platform's font is
// wider, a caption that would be clipped gets a smaller size of the same font.
void shrinkToFit(QWidget *widget, const QString &text, int padding)
{
    QFont font = widget->font();
    constexpr double kSmallest = 6.0;
    while (QFontMetrics(font).horizontalAdvance(text) + padding > widget->width() &&
           font.pointSizeF() > kSmallest)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    widget->setFont(font);
}

QLabel *addLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *label = place(new QLabel(text, parent), name, geometry);
    paintPanelBackground(label);
    shrinkToFit(label, text, 0);
    return label;
}

QPushButton *addButton(QWidget *parent, const char *name, const QString &text,
                       const QRect &geometry)
{
    auto *button = place(new QPushButton(text, parent), name, geometry);
    button->setAutoDefault(false);
    constexpr int kBevel = 6;
    shrinkToFit(button, text, kBevel);
    return button;
}

QLineEdit *addConfigBox(QWidget *parent, const char *name, const QString &text,
                        const QRect &geometry)
{
    auto *box = place(new QLineEdit(text, parent), name, geometry);
    box->setFont(courierNew(10.8, true));
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Text, QColor(255, 255, 0));
    box->setPalette(palette);
    box->setTextMargins(0, 0, 0, 0);
    return box;
}

NamedComboBox *addCombo(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *combo = place(new NamedComboBox(parent), name, geometry);
    // The edit part shows the choice; only choosing an item changes it.
    combo->showChoiceInEditPart();
    combo->setInsertPolicy(QComboBox::NoInsert);
    // A long address list must not be measured item by item.
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    if (auto *list = qobject_cast<QListView *>(combo->view()))
        list->setUniformItemSizes(true);
    return combo;
}

// What a screen reader says for a control: its name and, where the screen
// shows more beside it (a range, a hint), that as the description.
void nameForScreenReaders(QWidget *widget, const QString &name, const QString &description = {})
{
    widget->setAccessibleName(name);
    widget->setAccessibleDescription(description);
}

// A list is read through its edit part as well.
void nameForScreenReaders(QComboBox *combo, const QString &name)
{
    combo->setAccessibleName(name);
    combo->lineEdit()->setAccessibleName(name);
}

QWidget *addPage(QWidget *frame, const char *name, const Twips &twips)
{
    auto *page = place(new QWidget(frame), name, twips.rect(120, 240, 5412, 5292));
    paintPanelBackground(page);
    return page;
}
} // namespace

void Form1Ui::setupUi(QWidget *formWidget)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const Twips twips(screen ? screen->logicalDotsPerInchY() : 96.0);
    setupWindow(formWidget, twips);
    setupModemPage(twips);
    setupTerminalPage(twips);
    setupCommsPage(twips);
    setupStatusBar(formWidget, twips);
    Command7->raise();
    setupTabOrder();
}

void Form1Ui::setupWindow(QWidget *formWidget, const Twips &twips)
{
    window = formWidget;
    formWidget->setObjectName(QStringLiteral("Form1"));
    formWidget->setWindowTitle(QStringLiteral("MIRAN Modem Utility"));
    formWidget->setWindowIcon(QIcon(QStringLiteral(":/miran/miran.ico")));
    formWidget->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                               Qt::WindowCloseButtonHint);
    formWidget->setFixedSize(twips.toPixels(kFormWidth), twips.toPixels(kFormHeight));

    TabStrip1 = place(new QTabWidget(formWidget), "TabStrip1", twips.rect(120, 120, 6132, 6492));
    for (const char *text : {"Modem Setup", "Comms Port Setup", "Terminal"}) {
        auto *tab = new QWidget(TabStrip1);
        nameForScreenReaders(tab, QLatin1String(text));
        TabStrip1->addTab(tab, QLatin1String(text));
    }

    Frame2 = place(new QGroupBox(QStringLiteral("Terminal"), formWidget), "Frame2",
                   twips.rect(360, 480, 5652, 5652));
    paintPanelBackground(Frame2);
    ModemPic = addPage(Frame2, "ModemPic", twips);
    CommsPic = addPage(Frame2, "CommsPic", twips);
    TermPic = addPage(Frame2, "TermPic", twips);
    // The pages take the names of their tabs, not the frame's changing title.
    const std::array pages{ModemPic, CommsPic, TermPic};
    for (size_t i = 0; i < pages.size(); ++i)
        nameForScreenReaders(pages[i], TabStrip1->tabText(static_cast<int>(i)));

    Command7 = addButton(formWidget, "Command7", QStringLiteral("Connect"),
                         twips.rect(4920, 6240, 1092, 252));
}

void Form1Ui::setupModemPage(const Twips &twips)
{
    struct Row
    {
        const char *label;
        const char *text;
        int top;
    };
    const Row rows[] = {{"Label1", "Destination Address", 600}, {"Label2", "QL204 Address", 1080},
                        {"Label3", "RF Channel", 1680},         {"Label4", "Tx Power", 2160},
                        {"Label5", "Tx Packet Size", 2640},     {"Label6", "Rx Packet Size", 3120},
                        {"Label9", "Bytes Received", 3960}};
    std::vector<QLabel *> rowLabels;
    for (const Row &row : rows)
        rowLabels.push_back(addLabel(ModemPic, row.label, QLatin1String(row.text),
                                     twips.rect(600, row.top, 1500, 252)));

    QLineEdit **const addressBoxes[] = {&Text1, &Text2, &Text3, &Text4,
                                        &Text5, &Text6, &Text7, &Text8};
    const char *const addressNames[] = {"Text1", "Text2", "Text3", "Text4",
                                        "Text5", "Text6", "Text7", "Text8"};
    constexpr int kAddressBytes = AddressEntry::kBytes;
    for (int i = 0; i < ModemConfig::kHexFields; ++i) {
        const bool destination = i < kAddressBytes;
        const QRect geometry = twips.rect(2160 + 600 * (i % kAddressBytes),
                                          destination ? 600 : 1080, 540, destination ? 360 : 372);
        QLineEdit *box = addConfigBox(ModemPic, addressNames[i], ModemConfig::kUnread, geometry);
        box->setMaxLength(2);
        *addressBoxes[i] = box;
    }
    addLabel(ModemPic, "Label13", QStringLiteral("0-FF Hex"), twips.rect(4560, 600, 780, 252));
    addLabel(ModemPic, "Label14", QStringLiteral("0-FF Hex"), twips.rect(4560, 1080, 780, 252));
    for (int i = 0; i < ModemConfig::kHexFields; ++i) {
        const QLabel *row = rowLabels[i < kAddressBytes ? 0 : 1];
        nameForScreenReaders(
            *addressBoxes[i],
            QStringLiteral("%1, byte %2").arg(row->text()).arg(i % kAddressBytes + 1),
            QStringLiteral("0-FF Hex"));
    }

    Text9 = addConfigBox(ModemPic, "Text9", QStringLiteral("?"), twips.rect(2160, 1680, 660, 360));
    Text10 =
        addConfigBox(ModemPic, "Text10", QStringLiteral("?"), twips.rect(2160, 2160, 660, 372));
    Text11 =
        addConfigBox(ModemPic, "Text11", QStringLiteral("?"), twips.rect(2160, 2640, 660, 372));
    Text12 =
        addConfigBox(ModemPic, "Text12", QStringLiteral("?"), twips.rect(2160, 3120, 660, 372));
    BRText =
        addConfigBox(ModemPic, "BRText", QStringLiteral("0"), twips.rect(2160, 3960, 660, 372));
    addLabel(ModemPic, "Label7", QStringLiteral("Decimal (0-255)"),
             twips.rect(2880, 1680, 1380, 252));
    addLabel(ModemPic, "Label8", QStringLiteral("Decimal (0-3)"),
             twips.rect(2880, 2160, 1380, 252));
    addLabel(ModemPic, "Label10", QStringLiteral("Decimal (0-255)"),
             twips.rect(2880, 2640, 1380, 252));
    addLabel(ModemPic, "Label12", QStringLiteral("Decimal (0-255)"),
             twips.rect(2880, 3120, 1380, 252));

    // Each row's label names its first box; the range beside a box describes it.
    const std::pair<QLineEdit *, const char *> rowBoxes[] = {{Text1, nullptr},
                                                             {Text5, nullptr},
                                                             {Text9, "Decimal (0-255)"},
                                                             {Text10, "Decimal (0-3)"},
                                                             {Text11, "Decimal (0-255)"},
                                                             {Text12, "Decimal (0-255)"},
                                                             {BRText, nullptr}};
    for (size_t i = 0; i < std::size(rowBoxes); ++i) {
        const auto [box, range] = rowBoxes[i];
        rowLabels[i]->setBuddy(box);
        if (range)
            nameForScreenReaders(box, rowLabels[i]->text(), QLatin1String(range));
    }
    nameForScreenReaders(BRText, rowLabels.back()->text());

    Command2 =
        addButton(ModemPic, "Command2", QStringLiteral("Set"), twips.rect(720, 4680, 1092, 372));
    Command3 = addButton(ModemPic, "Command3", QStringLiteral("Refresh"),
                         twips.rect(3720, 4680, 972, 372));
    Command2->setEnabled(false);
    Command3->setEnabled(false);
    setupFileButtons(twips);
}

void Form1Ui::setupFileButtons(const Twips &twips)
{
    // A column at the right of the number rows, under the address ranges;
    // none of them needs the modem, so they are always enabled.
    struct FileButton
    {
        QPushButton **button;
        const char *name;
        QString text;
        QString description;
    };
    const FileButton buttons[] = {
        {&SaveConfig, "SaveConfig", QStringLiteral("Save\u2026"),
         QStringLiteral("Saves the twelve fields to a file in miran-cli's JSON format")},
        {&OpenConfig, "OpenConfig", QStringLiteral("Open\u2026"),
         QStringLiteral("Fills the twelve fields from a saved file; Set writes them to the modem")},
        {&CompareConfig, "CompareConfig", QStringLiteral("Compare\u2026"),
         QStringLiteral("Marks the fields that differ from a saved file")},
    };
    int top = 1680;
    for (const FileButton &entry : buttons) {
        QPushButton *button =
            addButton(ModemPic, entry.name, entry.text, twips.rect(4320, top, 1020, 372));
        button->setToolTip(entry.description);
        nameForScreenReaders(button, button->text(), button->toolTip());
        *entry.button = button;
        top += 480;
    }
}

void Form1Ui::setupTerminalPage(const Twips &twips)
{
    auto *rx = addLabel(TermPic, "Label19", QStringLiteral("RX"), twips.rect(0, 50, 372, 252));
    setColours(rx, QPalette::WindowText, kDarkBlue);
    Text13 = place(new TerminalView(TermPic), "Text13", twips.rect(0, 240, 5412, 3492));
    // Tab passes the receive box by: it would only hand the focus back to the
    // typing box. F6 reads it from there.
    Text13->setFocusPolicy(Qt::ClickFocus);
    setColours(Text13, QPalette::Text, kDarkBlue);
    rx->setBuddy(Text13);
    nameForScreenReaders(Text13, QStringLiteral("Received"),
                         QStringLiteral("What the modem sends. Page Up and Down scroll it; "
                                        "F6 or Escape goes back to typing"));

    auto *tx = addLabel(TermPic, "Label18", QStringLiteral("TX"), twips.rect(0, 3770, 372, 252));
    setColours(tx, QPalette::WindowText, kDarkGreen);
    Text14 = place(new QPlainTextEdit(TermPic), "Text14", twips.rect(0, 3960, 5412, 732));
    setColours(Text14, QPalette::Text, kDarkGreen);
    // Tab leaves the box as it leaves any other control; Ctrl+I sends a tab.
    Text14->setTabChangesFocus(true);
    tx->setBuddy(Text14);
    nameForScreenReaders(Text14, QStringLiteral("Type to send"),
                         QStringLiteral("Every character typed here goes to the modem; "
                                        "Ctrl+I sends a tab. Shift+Page Up and Down scroll "
                                        "what was received; F6 moves there"));

    Command1 =
        addButton(TermPic, "Command1", QStringLiteral("+++"), twips.rect(120, 4780, 492, 252));
    Command1->setToolTip(QStringLiteral("Enter AT Mode"));
    nameForScreenReaders(Command1, Command1->text(), Command1->toolTip());
    Command4 =
        addButton(TermPic, "Command4", QStringLiteral("- - -"), twips.rect(120, 5040, 492, 252));
    Command4->setToolTip(QStringLiteral("Exit AT Mode"));
    nameForScreenReaders(Command4, Command4->text(), Command4->toolTip());
    auto *addressLabel = addLabel(TermPic, "Label17", QStringLiteral("Address to send to"),
                                  twips.rect(1080, 4944, 1344, 192));
    Combo4 = addCombo(TermPic, "Combo4", twips.rect(2520, 4920, 1212, 288));
    addressLabel->setBuddy(Combo4);
    nameForScreenReaders(Combo4, addressLabel->text());
    Combo4->setEditText(QStringLiteral("7F7F7F7F"));
    Command6 =
        addButton(TermPic, "Command6", QStringLiteral("Add"), twips.rect(3840, 4920, 612, 252));
    Command5 =
        addButton(TermPic, "Command5", QStringLiteral("Clear"), twips.rect(4680, 4920, 732, 252));
    for (QPushButton *button : {Command1, Command4, Command5, Command6})
        button->setEnabled(false);
}

void Form1Ui::setupCommsPage(const Twips &twips)
{
    auto *portLabel = addLabel(CommsPic, "Label11", QStringLiteral("Comm Port"),
                               twips.rect(1680, 1920, 1092, 252));
    Combo1 = addCombo(CommsPic, "Combo1", twips.rect(2880, 1920, 972, 288));
    auto *baudLabel = addLabel(CommsPic, "Label15", QStringLiteral("Baud Rate"),
                               twips.rect(1680, 2400, 1092, 252));
    Combo2 = addCombo(CommsPic, "Combo2", twips.rect(2880, 2400, 972, 288));
    for (const auto &[label, combo] :
         {std::pair{portLabel, Combo1}, std::pair{baudLabel, Combo2}}) {
        label->setBuddy(combo);
        nameForScreenReaders(combo, label->text());
    }
    setupDeviceControls(twips);
}

void Form1Ui::setupDeviceControls(const Twips &twips)
{
    DeviceLine = addLabel(CommsPic, "DeviceLine", QString(), twips.rect(240, 2880, 4932, 504));
    DeviceLine->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A status line's text is its accessible name, kept current where it is shown.
    DeviceLine->setAccessibleDescription(QStringLiteral("Device of the comm port"));

    DeviceListLabel = addLabel(CommsPic, "DeviceListLabel", QStringLiteral("Device"),
                               twips.rect(240, 3528, 780, 252));
    DeviceList =
        place(new NamedComboBox(CommsPic), "DeviceList", twips.rect(1080, 3504, 4092, 288));
    DeviceList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // A serial server's port is typed in: rfc2217://HOST:PORT or tcp://HOST:PORT.
    DeviceList->acceptTypedText();
    nameForScreenReaders(DeviceList, DeviceListLabel->text());
    DeviceList->setToolTip(QStringLiteral("Choose the modem's device, or type a network port "
                                          "(rfc2217://HOST:PORT or tcp://HOST:PORT) and press "
                                          "Enter"));
    DeviceListLabel->setBuddy(DeviceList);

    FindModem = addButton(CommsPic, "FindModem", QStringLiteral("Find Modem"),
                          twips.rect(240, 3960, 1212, 312));
    FindModem->setAccessibleName(QStringLiteral("Find Modem"));
    ScanEveryUsb = place(new QCheckBox(QStringLiteral("Every USB serial device too (sends "
                                                      "\"+++\" to each)"),
                                       CommsPic),
                         "ScanEveryUsb", twips.rect(240, 4380, 4932, 252));
    constexpr int kIndicator = 24;
    shrinkToFit(ScanEveryUsb, ScanEveryUsb->text(), kIndicator);
    ScanEveryUsb->setAccessibleName(QStringLiteral("Find Modem on every USB serial device too"));

    ScanProgress =
        place(new QProgressBar(CommsPic), "ScanProgress", twips.rect(240, 4740, 3600, 252));
    ScanProgress->setAccessibleName(QStringLiteral("Find Modem progress"));
    ScanProgress->setTextVisible(false);
    ScanProgress->hide();
    ScanCancel = addButton(CommsPic, "ScanCancel", QStringLiteral("Cancel"),
                           twips.rect(3960, 4710, 1212, 312));
    ScanCancel->setAccessibleName(QStringLiteral("Cancel Find Modem"));
    ScanCancel->hide();
    ScanStatus = addLabel(CommsPic, "ScanStatus", QString(), twips.rect(240, 5028, 4932, 252));
    ScanStatus->setAccessibleDescription(QStringLiteral("Find Modem status"));
}

void Form1Ui::setupStatusBar(QWidget *formWidget, const Twips &twips)
{
    const int height = twips.toPixels(kStatusBarHeight);
    StatusBar1 = place(new QStatusBar(formWidget), "StatusBar1",
                       QRect(0, formWidget->height() - height, formWidget->width(), height));
    StatusBar1->setSizeGripEnabled(false);
    nameForScreenReaders(StatusBar1, QStringLiteral("Status"));
    StatusPanel1 = new QLabel(StatusBar1);
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    StatusPanel1->setFont(courierNew(9, false));
    StatusBar1->addWidget(StatusPanel1, 1);
}

void Form1Ui::setupTabOrder()
{
    QWidget *const order[] = {
        Command7, Text1,      Text2,      Text3,        Text4,         Text5,     Text6,
        Text7,    Text8,      Text9,      Text10,       Text11,        Text12,    BRText,
        Command2, Command3,   SaveConfig, OpenConfig,   CompareConfig, TabStrip1, Command6,
        Combo4,   Command5,   Command4,   Command1,     Text14,        Text13,    Combo2,
        Combo1,   DeviceList, FindModem,  ScanEveryUsb, ScanCancel};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

std::array<QLineEdit *, ModemConfig::kByteCount> Form1Ui::configFields() const
{
    return {Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8, Text9, Text10, Text11, Text12};
}

QString Form1Ui::statusText() const
{
    return StatusPanel1->text();
}

void Form1Ui::setStatusText(const QString &text)
{
    setShortStatus(text, text);
}

void Form1Ui::setShortStatus(const QString &text, const QString &whole)
{
    StatusPanel1->setText(text);
    StatusPanel1->setToolTip(whole);
}

QString Form1Ui::wholeStatus() const
{
    return StatusPanel1->toolTip();
}

Form1Ui::Page Form1Ui::currentPage() const
{
    return static_cast<Page>(TabStrip1->currentIndex());
}

void Form1Ui::showPage(Page page)
{
    TabStrip1->setCurrentIndex(static_cast<int>(page));
}

void Form1Ui::setBusyPointer(bool busy)
{
    if (busy)
        window->setCursor(Qt::WaitCursor);
    else
        window->unsetCursor();
}
