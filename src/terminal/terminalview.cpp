#include "terminalview.h"

#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>
#include <memory>

using namespace std::chrono_literals;

namespace {
// A frame at 60 Hz: fast enough to look immediate, slow enough to batch.
constexpr auto kFlushDelay = 16ms;
constexpr char16_t kControlPictures = 0x2400;
constexpr char16_t kDeletePicture = 0x2421;
constexpr char16_t kReplacement = 0xFFFD;
} // namespace

TerminalView::TerminalView(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_flushTimer.setSingleShot(true);
    connect(&m_flushTimer, &QTimer::timeout, this, &TerminalView::flushPending);
}

QChar TerminalView::displayChar(unsigned char byte)
{
    if (byte == '\r' || byte == '\n')
        return {};
    if (byte < 0x20)
        return QChar(static_cast<char16_t>(kControlPictures + byte));
    if (byte == 0x7F)
        return QChar(kDeletePicture);
    if (byte >= 0x80 && byte < 0xA0)
        return QChar(kReplacement);
    return QChar(static_cast<char16_t>(byte));
}

void TerminalView::appendReceived(const QString &chunk)
{
    for (const QChar c : chunk)
        appendByte(static_cast<unsigned char>(c.unicode()));
    if (!m_flushTimer.isActive())
        m_flushTimer.start(kFlushDelay);
}

void TerminalView::appendByte(unsigned char byte)
{
    const qsizetype offset = m_bytes.size();
    m_bytes.append(static_cast<char>(byte));
    if (byte == '\n' && m_lastWasCarriageReturn) {
        // CR LF is one line break: the line after it starts after the LF.
        m_blockStart.back() = offset + 1;
        m_lastWasCarriageReturn = false;
        return;
    }
    m_lastWasCarriageReturn = byte == '\r';
    const QChar shown = displayChar(byte);
    if (shown.isNull()) {
        breakBlock(offset + 1);
        return;
    }
    m_pending.append(shown);
    if (++m_blockLength == kBlockLength)
        breakBlock(offset + 1);
}

void TerminalView::breakBlock(qsizetype nextBlockStart)
{
    m_pending.append(QLatin1Char('\n'));
    m_blockStart.push_back(nextBlockStart);
    m_blockLength = 0;
}

void TerminalView::flushPending()
{
    m_flushTimer.stop();
    if (m_pending.isEmpty())
        return;
    QScrollBar *scroll = verticalScrollBar();
    const bool followEnd = scroll->value() == scroll->maximum();
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(m_pending);
    m_pending.clear();
    if (followEnd)
        scroll->setValue(scroll->maximum());
}

void TerminalView::clearReceived()
{
    m_flushTimer.stop();
    m_bytes.clear();
    m_pending.clear();
    m_blockStart.assign(1, 0);
    m_blockLength = 0;
    m_lastWasCarriageReturn = false;
    clear();
}

qsizetype TerminalView::byteOffsetOf(int position) const
{
    const QTextBlock block = document()->findBlock(position);
    const auto index = static_cast<size_t>(block.blockNumber());
    if (!block.isValid() || index >= m_blockStart.size())
        return m_bytes.size();
    return std::min(m_blockStart[index] + (position - block.position()), m_bytes.size());
}

QString TerminalView::selectedReceivedText() const
{
    const QTextCursor selection = textCursor();
    const qsizetype from = byteOffsetOf(selection.selectionStart());
    const qsizetype to = byteOffsetOf(selection.selectionEnd());
    return QString::fromLatin1(m_bytes.mid(from, to - from));
}

QMimeData *TerminalView::createMimeDataFromSelection() const
{
    auto mime = std::make_unique<QMimeData>();
    mime->setText(selectedReceivedText());
    // The caller takes ownership.
    return mime.release();
}

bool TerminalView::canInsertFromMimeData(const QMimeData *) const
{
    return false;
}
