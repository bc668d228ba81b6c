// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminalviewaccessible.h"

#include "terminalview.h"

#include <QWidget>

#include <algorithm>

TerminalViewAccessible::TerminalViewAccessible(TerminalView *view)
    : QAccessibleWidget(view, QAccessible::EditableText, QStringLiteral("Received"))
{}

TerminalView *TerminalViewAccessible::view() const
{
    return static_cast<TerminalView *>(widget());
}

const ShownExcerpt &TerminalViewAccessible::excerpt() const
{
    return view()->shownExcerpt();
}

qint64 TerminalViewAccessible::absolute(int offset) const
{
    return excerpt().offset(offset);
}

int TerminalViewAccessible::relative(qint64 offset) const
{
    return excerpt().position(offset);
}

QString TerminalViewAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name)
        return QStringLiteral("Received");
    if (t == QAccessible::Value)
        return excerpt().text();
    return QAccessibleWidget::text(t);
}

QAccessible::State TerminalViewAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

void *TerminalViewAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

void TerminalViewAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || selectionCount() == 0)
        return;
    *startOffset = relative(view()->selectionStart());
    *endOffset = relative(view()->selectionEnd());
}

int TerminalViewAccessible::selectionCount() const
{
    return view()->selectionStart() == view()->selectionEnd() ? 0 : 1;
}

void TerminalViewAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void TerminalViewAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        view()->setSelection(view()->selectionEnd(), view()->selectionEnd());
}

void TerminalViewAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        view()->setSelection(absolute(startOffset), absolute(endOffset));
}

int TerminalViewAccessible::cursorPosition() const
{
    return relative(view()->selectionEnd());
}

void TerminalViewAccessible::setCursorPosition(int position)
{
    view()->setSelection(absolute(position), absolute(position));
}

QString TerminalViewAccessible::text(int startOffset, int endOffset) const
{
    const QString &text = excerpt().text();
    const int from = std::clamp(startOffset, 0, int(text.size()));
    const int to = std::clamp(endOffset, from, int(text.size()));
    return text.mid(from, to - from);
}

int TerminalViewAccessible::characterCount() const
{
    return int(excerpt().text().size());
}

QRect TerminalViewAccessible::characterRect(int offset) const
{
    const QRect local = view()->byteRect(absolute(offset));
    if (local.isNull())
        return {};
    return QRect(view()->viewport()->mapToGlobal(local.topLeft()), local.size());
}

int TerminalViewAccessible::offsetAtPoint(const QPoint &point) const
{
    const auto offset = view()->offsetAt(view()->viewport()->mapFromGlobal(point));
    return offset ? relative(*offset) : -1;
}

void TerminalViewAccessible::scrollToSubstring(int startIndex, int)
{
    view()->scrollToOffset(absolute(startIndex));
}

QString TerminalViewAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = offset;
    return {};
}
