#pragma once

#include <QAccessibleTextInterface>
#include <QAccessibleWidget>

class TerminalView;

// What assistive technology sees of the receive box: its text is the
// received text as held, one character per byte, named "Received".
class TerminalViewAccessible final : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit TerminalViewAccessible(TerminalView *view);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

private:
    TerminalView *view() const;
    qint64 absolute(int offset) const;
    int relative(qint64 offset) const;
};
