// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader finds in the window: a name for every control, read
// through Qt's accessibility interface, and labels tied to what they name.
#include "support/app/formfixture.h"

#include "shell/form1.h"
#include "shell/form1ui.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {
QString accessibleText(QWidget *widget, QAccessible::Text kind)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(kind) : QStringLiteral("<no interface>");
}

QWidget *control(Form1 &form, const QString &name)
{
    return form.findChild<QWidget *>(name);
}

// The controls a user reaches on a page: its boxes, lists and buttons (the
// edit parts inside the lists are the lists' own).
QList<QWidget *> pageControls(QWidget *page)
{
    QList<QWidget *> controls;
    for (QWidget *child : page->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QLineEdit *>(child) || qobject_cast<QComboBox *>(child) ||
            qobject_cast<QPlainTextEdit *>(child) || qobject_cast<QPushButton *>(child))
            controls.append(child);
    }
    return controls;
}
} // namespace

class AccessibilityTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void controlNames_data();
    void controlNames();
    void listNamesDoNotFollowTheChoice_data();
    void listNamesDoNotFollowTheChoice();
    void listOpensForAReader();
    void windowReadsAsAWindow();
    void everyControlOnAPageHasItsOwnName_data();
    void everyControlOnAPageHasItsOwnName();
    void labelsNameTheirControls_data();
    void labelsNameTheirControls();

private:
    static void listsHandOutTheirItemsAndEditPart(QComboBox *combo, const QString &name);
};

void AccessibilityTest::controlNames_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");

    const QString hex = QStringLiteral("0-FF Hex");
    for (int byte = 1; byte <= 4; ++byte) {
        QTest::addRow("destination byte %d", byte)
            << QStringLiteral("Text%1").arg(byte)
            << QStringLiteral("Destination Address, byte %1").arg(byte) << hex;
        QTest::addRow("module address byte %d", byte)
            << QStringLiteral("Text%1").arg(byte + 4)
            << QStringLiteral("QL204 Address, byte %1").arg(byte) << hex;
    }
    QTest::newRow("channel") << "Text9"
                             << "RF Channel"
                             << "Decimal (0-255)";
    QTest::newRow("power") << "Text10"
                           << "Tx Power"
                           << "Decimal (0-3)";
    QTest::newRow("tx packet") << "Text11"
                               << "Tx Packet Size"
                               << "Decimal (0-255)";
    QTest::newRow("rx packet") << "Text12"
                               << "Rx Packet Size"
                               << "Decimal (0-255)";
    QTest::newRow("bytes received") << "BRText"
                                    << "Bytes Received"
                                    << "";
    QTest::newRow("received box") << "Text13"
                                  << "Received"
                                  << "What the modem sends. Page Up and Down scroll it; F6 or "
                                     "Escape goes back to typing";
    QTest::newRow("typing box") << "Text14"
                                << "Type to send"
                                << "Every character typed here goes to the modem; Ctrl+I sends "
                                   "a tab. Shift+Page Up and Down scroll what was received; F6 "
                                   "moves there";
    QTest::newRow("enter command mode") << "Command1"
                                        << "+++"
                                        << "Enter AT Mode";
    QTest::newRow("leave command mode") << "Command4"
                                        << "- - -"
                                        << "Exit AT Mode";
    QTest::newRow("connect") << "Command7"
                             << "Connect"
                             << "";
    QTest::newRow("set") << "Command2"
                         << "Set"
                         << "";
    QTest::newRow("modem page") << "ModemPic"
                                << "Modem Setup"
                                << "";
    QTest::newRow("comms page") << "CommsPic"
                                << "Comms Port Setup"
                                << "";
    QTest::newRow("terminal page") << "TermPic"
                                   << "Terminal"
                                   << "";
    QTest::newRow("status bar") << "StatusBar1"
                                << "Status"
                                << "";
}

void AccessibilityTest::controlNames()
{
    QFETCH(QString, object);
    QFETCH(QString, name);
    QFETCH(QString, description);
    FormFixture fixture;
    Form1 &form = fixture.start();
    QWidget *widget = control(form, object);
    QVERIFY(widget);

    QCOMPARE(accessibleText(widget, QAccessible::Name), name);
    if (!description.isEmpty())
        QCOMPARE(accessibleText(widget, QAccessible::Description), description);
}

void AccessibilityTest::listNamesDoNotFollowTheChoice_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("name");

    QTest::newRow("comm port") << "Combo1"
                               << "Comm Port";
    QTest::newRow("baud rate") << "Combo2"
                               << "Baud Rate";
    QTest::newRow("address") << "Combo4"
                             << "Address to send to";
    QTest::newRow("device") << "DeviceList"
                            << "Device";
}

void AccessibilityTest::listNamesDoNotFollowTheChoice()
{
    QFETCH(QString, object);
    QFETCH(QString, name);
    FormFixture fixture;
    Form1 &form = fixture.start();
    auto *combo = qobject_cast<QComboBox *>(control(form, object));
    QVERIFY(combo);
    if (combo->count() < 2) // the device list holds what this machine has
        combo->addItems({QStringLiteral("/dev/one"), QStringLiteral("/dev/two")});

    // The list's own name, and the name of the edit part a reader lands in.
    for (const int choice : {0, combo->count() - 1}) {
        combo->setCurrentIndex(choice);
        QCOMPARE(accessibleText(combo, QAccessible::Name), name);
        QCOMPARE(accessibleText(combo->lineEdit(), QAccessible::Name), name);
        // What is chosen is the list's value, not its name.
        QCOMPARE(accessibleText(combo, QAccessible::Value), combo->currentText());
    }
    listsHandOutTheirItemsAndEditPart(combo, name);
}

// As Qt's own list interface does: the list of items first, then the edit
// part, each reachable from the list and finding its way back to it.
void AccessibilityTest::listsHandOutTheirItemsAndEditPart(QComboBox *combo, const QString &name)
{
    combo->addItem(QStringLiteral("an added item"));
    combo->setCurrentIndex(combo->count() - 1);
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(combo);
    QVERIFY(face);
    QCOMPARE(face->childCount(), 2);

    QAccessibleInterface *list = face->child(0);
    QVERIFY(list);
    QCOMPARE(list->role(), QAccessible::List);
    QCOMPARE(face->indexOfChild(list), 0);
    QStringList items;
    for (int i = 0; i < list->childCount(); ++i) {
        QAccessibleInterface *item = list->child(i);
        QVERIFY(item);
        items.append(item->text(QAccessible::Name));
    }
    QStringList expected;
    for (int i = 0; i < combo->count(); ++i)
        expected.append(combo->itemText(i));
    QCOMPARE(items, expected);

    QAccessibleInterface *edit = face->child(1);
    QVERIFY(edit);
    QAccessibleTextInterface *text = edit->textInterface();
    QVERIFY(text);
    QCOMPARE(face->indexOfChild(edit), 1);
    QCOMPARE(edit->text(QAccessible::Name), name);
    QCOMPARE(text->text(0, text->characterCount()), combo->currentText());
    QCOMPARE(face->focusChild(), edit);
    QVERIFY(!face->child(2));
}

void AccessibilityTest::windowReadsAsAWindow()
{
    FormFixture fixture;
    Form1 &form = fixture.start();
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(&form);
    QVERIFY(face);
    QCOMPARE(face->role(), QAccessible::Window);
    QCOMPARE(face->text(QAccessible::Name), form.windowTitle());
}

void AccessibilityTest::listOpensForAReader()
{
    FormFixture fixture;
    Form1 &form = fixture.start();
    QComboBox *combo = form.ui().Combo2;
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(combo);
    QVERIFY(face && face->actionInterface());
    QVERIFY(face->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::showMenuAction()));

    face->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    QTRY_VERIFY(combo->view()->isVisible());
    QVERIFY(face->state().expanded);

    face->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    QTRY_VERIFY(!combo->view()->isVisible());
}

void AccessibilityTest::everyControlOnAPageHasItsOwnName_data()
{
    QTest::addColumn<QString>("page");
    QTest::newRow("Modem Setup") << "ModemPic";
    QTest::newRow("Comms Port Setup") << "CommsPic";
    QTest::newRow("Terminal") << "TermPic";
}

void AccessibilityTest::everyControlOnAPageHasItsOwnName()
{
    QFETCH(QString, page);
    FormFixture fixture;
    Form1 &form = fixture.start();
    const QList<QWidget *> controls = pageControls(control(form, page));
    QVERIFY(!controls.isEmpty());

    QStringList names;
    for (QWidget *widget : controls) {
        const QString name =
            qobject_cast<QComboBox *>(widget)
                ? accessibleText(widget->focusProxy() ? widget->focusProxy() : widget,
                                 QAccessible::Name)
                : accessibleText(widget, QAccessible::Name);
        QVERIFY2(!name.trimmed().isEmpty(), qPrintable(widget->objectName()));
        QVERIFY2(!names.contains(name), qPrintable(widget->objectName() + u' ' + name));
        names.append(name);
    }
}

void AccessibilityTest::labelsNameTheirControls_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("buddy");

    QTest::newRow("Destination Address") << "Label1"
                                         << "Text1";
    QTest::newRow("QL204 Address") << "Label2"
                                   << "Text5";
    QTest::newRow("RF Channel") << "Label3"
                                << "Text9";
    QTest::newRow("Tx Power") << "Label4"
                              << "Text10";
    QTest::newRow("Tx Packet Size") << "Label5"
                                    << "Text11";
    QTest::newRow("Rx Packet Size") << "Label6"
                                    << "Text12";
    QTest::newRow("Bytes Received") << "Label9"
                                    << "BRText";
    QTest::newRow("RX") << "Label19"
                        << "Text13";
    QTest::newRow("TX") << "Label18"
                        << "Text14";
    QTest::newRow("Address to send to") << "Label17"
                                        << "Combo4";
    QTest::newRow("Comm Port") << "Label11"
                               << "Combo1";
    QTest::newRow("Baud Rate") << "Label15"
                               << "Combo2";
}

void AccessibilityTest::labelsNameTheirControls()
{
    QFETCH(QString, label);
    QFETCH(QString, buddy);
    FormFixture fixture;
    Form1 &form = fixture.start();
    auto *text = qobject_cast<QLabel *>(control(form, label));
    QVERIFY(text);

    QCOMPARE(text->buddy(), control(form, buddy));
    // A reader finds the label through the control's label relation.
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(text->buddy());
    QVERIFY(face);
    QStringList labelledBy;
    for (const auto &[other, relation] : face->relations(QAccessible::Label))
        labelledBy.append(other->text(QAccessible::Name));
    QVERIFY2(labelledBy.contains(text->text()), qPrintable(labelledBy.join(u',')));
}

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
