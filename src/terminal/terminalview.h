#pragma once

#include <QByteArray>
#include <QPlainTextEdit>
#include <QTimer>

#include <vector>

// The terminal's receive box. It holds the received bytes unchanged and shows
// them as text: CR LF, a lone CR and a lone LF each break the line, other
// control bytes appear as visible symbols. Showing a byte costs the same
// however much came before it: bytes are laid out in batches, at most once a
// frame, and the display breaks very long lines into bounded blocks.
class TerminalView final : public QPlainTextEdit
{
    Q_OBJECT

public:
    // Display characters in one block before the view breaks it.
    static constexpr int kBlockLength = 2048;

    explicit TerminalView(QWidget *parent = nullptr);

    // Joins the chunk, one byte per character, to the end of the text.
    void appendReceived(const QString &chunk);
    void clearReceived();

    // The text as received: one character per byte.
    QString receivedText() const { return QString::fromLatin1(m_bytes); }
    const QByteArray &receivedBytes() const { return m_bytes; }

    // The received bytes behind the selection, as copying gives them.
    QString selectedReceivedText() const;

    // Lays out what arrived since the last batch; runs by itself shortly
    // after bytes arrive.
    void flushPending();

    // The display character for a received byte, QChar() for one that breaks
    // the line.
    static QChar displayChar(unsigned char byte);

protected:
    // Copying gives the received bytes of the selection, not the display.
    QMimeData *createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData *source) const override;

private:
    void appendByte(unsigned char byte);
    void breakBlock(qsizetype nextBlockStart);
    qsizetype byteOffsetOf(int position) const;

    QByteArray m_bytes;
    QString m_pending;
    // Byte offset at which each display block starts.
    std::vector<qsizetype> m_blockStart{0};
    int m_blockLength = 0;
    bool m_lastWasCarriageReturn = false;
    QTimer m_flushTimer;
};
