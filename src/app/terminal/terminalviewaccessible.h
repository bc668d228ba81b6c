// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleTextInterface>
#include <QAccessibleWidget>

class ShownExcerpt;
class TerminalView;

// What assistive technology sees of the receive box, named "Received": its
// text is the excerpt shown around the rows on screen (ShownExcerpt), as
// shown in text or hex view, and offsets in it map to held bytes for the
// selection, the caret and hit testing.
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
    const ShownExcerpt &excerpt() const;
    qint64 absolute(int offset) const;
    int relative(qint64 offset) const;
};
