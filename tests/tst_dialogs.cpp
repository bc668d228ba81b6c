// SPDX-License-Identifier: GPL-3.0-or-later
// The real message and input boxes: what the user sees and what comes back.
#include "widgets/widgetdialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {
// Runs the check on the modal box once it is open, then lets the test's
// action close it. A failed check closes the box itself, so the test fails
// at once instead of waiting on the box until its time runs out.
void whenOpen(const std::function<void(QWidget *)> &act)
{
    QTimer::singleShot(0, [act] {
        const auto closeOnFailure = qScopeGuard([] {
            auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (QTest::currentTestFailed() && box)
                box->reject();
        });
        QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
        act(QApplication::activeModalWidget());
    });
}
} // namespace

class DialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void messageBoxHasOkOnlyAndNoIcon();
    void inputBoxReturnsTextOrNothing_data();
    void inputBoxReturnsTextOrNothing();
};

void DialogsTest::messageBoxHasOkOnlyAndNoIcon()
{
    QWidget parent;
    parent.show();
    WidgetDialogs dialogs(&parent);
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QList<QAbstractButton *> buttons;
    whenOpen([&](QWidget *widget) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        QVERIFY(box);
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        buttons = box->buttons();
        box->button(QMessageBox::Ok)->click();
    });

    dialogs.messageBox(QStringLiteral("Please select a valid comms port"),
                       QStringLiteral("MIRAN Modem Utility"));
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(text, QStringLiteral("Please select a valid comms port"));
    QCOMPARE(title, QStringLiteral("MIRAN Modem Utility"));
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(buttons.size(), 1);
}

void DialogsTest::inputBoxReturnsTextOrNothing_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("result");
    QTest::newRow("OK") << true << QStringLiteral("7f7f0001");
    QTest::newRow("Cancel") << false << QString();
}

void DialogsTest::inputBoxReturnsTextOrNothing()
{
    QFETCH(bool, accept);
    QFETCH(QString, result);
    WidgetDialogs dialogs;
    QString prompt;
    QString startingText = QStringLiteral("unset");
    whenOpen([&](QWidget *widget) {
        auto *box = qobject_cast<QInputDialog *>(widget);
        QVERIFY(box);
        prompt = box->labelText();
        startingText = box->textValue();
        QTest::keyClicks(box->findChild<QLineEdit *>(), QStringLiteral("7f7f0001"));
        if (accept)
            box->accept();
        else
            box->reject();
    });

    const QString entered = dialogs.inputBox(QStringLiteral("Enter Destination Address:-"),
                                             QStringLiteral("Add Address"));
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(entered, result);
    QCOMPARE(prompt, QStringLiteral("Enter Destination Address:-"));
    QCOMPARE(startingText, QString());
}

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
