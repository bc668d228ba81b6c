// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "excerptannouncer.h"
#include "receive/burstmarker.h"
#include "receive/capturefile.h"
#include "receive/receivegeometry.h"
#include "receive/receivelayout.h"
#include "receive/receiveselection.h"
#include "receive/receivestore.h"

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QTimer>

#include <memory>
#include <optional>

class CaptureFileChooser;
class Clock;
class Dialogs;
class QAction;
class QMenu;

// The terminal's receive box. It holds the received bytes unchanged (up to a
// capacity; past it the oldest whole lines go, and the first line says how
// much went) and lays out only the rows on screen. CR LF, a lone CR and a
// lone LF each break the line; long lines wrap at the box's width and nothing
// else breaks them. Other control bytes appear as visible symbols.
//
// Its menu switches to a hex view over the same bytes, shows a time stamp at
// the start of each burst, and writes what arrives to a capture file.
class TerminalView final : public QAbstractScrollArea
{
    Q_OBJECT

public:
    using Row = ReceiveLayout::Row;

    explicit TerminalView(QWidget *parent = nullptr);
    ~TerminalView() override;

    // Joins the chunk, one byte per character, to the end of the text.
    void appendReceived(const QString &chunk);
    void clearReceived();

    // The text as held: one character per byte.
    QString receivedText() const { return QString::fromLatin1(m_store.bytes()); }
    const QByteArray &receivedBytes() const { return m_store.bytes(); }
    qint64 droppedBytes() const { return m_store.droppedBytes(); }
    const ReceiveStore &store() const { return m_store; }

    // The text as shown, lines joined by a line feed; wrapping adds nothing.
    QString toPlainText() const { return m_layout.toPlainText(); }
    // The rows on screen now, as drawn.
    QStringList visibleRows() const;
    // "… 12.3 MiB dropped"
    static QString droppedText(qint64 bytes) { return ReceiveLayout::droppedText(bytes); }

    // Selection over held bytes, as absolute offsets (see ReceiveStore).
    void setSelection(qint64 anchor, qint64 caret);
    void selectAll() { setSelection(m_store.begin(), m_store.end()); }
    qint64 selectionStart() const { return m_selection.start(); }
    qint64 selectionEnd() const { return m_selection.end(); }
    // The received bytes behind the selection, as copying gives them.
    QString selectedReceivedText() const { return m_selection.text(); }
    void copy() const;

    // Lays out what arrived since the last frame; runs by itself shortly
    // after bytes arrive.
    void flushPending();

    bool isAtBottom() const { return m_follow; }
    void scrollToBottom();
    void scrollRows(int rows);

    void setCapacity(qsizetype bytes);
    // The capacity setting in MiB; anything unreadable gives the default.
    static qsizetype capacityFromSetting(const QString &mebibytes)
    {
        return ReceiveStore::capacityFromSetting(mebibytes);
    }

    void setHexView(bool on);
    bool isHexView() const { return m_layout.isHexView(); }
    void setTimeStamps(bool on);
    bool hasTimeStamps() const { return m_layout.hasTimeStamps(); }

    // Asks for a file and starts capturing into it; stops a running capture.
    void toggleCapture();
    bool isCapturing() const { return m_capture.isActive(); }

    void setDialogs(Dialogs *dialogs) { m_dialogs = dialogs; }
    void setCaptureFileChooser(CaptureFileChooser *chooser) { m_chooser = chooser; }
    void setClock(const Clock *clock);

    // The display character for a received byte, QChar() for one that breaks
    // the line.
    static QChar displayChar(unsigned char byte) { return ReceiveLayout::displayChar(byte); }

    // What assistive technology reads: the text as shown around the rows on
    // screen (see ShownExcerpt), renewed a few times a second while it changes.
    const ShownExcerpt &shownExcerpt();
    ShownExcerpt excerptNow() const;

    // The typing box below: Shift+Page Up/Down, Shift+Up/Down and
    // Shift+Home/End there scroll this box, and F6 moves the focus here; F6
    // or Escape here moves it back.
    void pairWithTypingBox(QWidget *typingBox);

    // Layout, for the accessible interface and tests.
    std::optional<qint64> offsetAt(const QPoint &point) const { return geometry().offsetAt(point); }
    QRect byteRect(qint64 offset) const { return geometry().byteRect(offset); }
    void scrollToOffset(qint64 offset);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void createActions();
    void updateMetrics();
    void syncScrollBar();
    void onScrollBarMoved(int value);
    void onScrollBarAction(int action);
    void reportMessage(const QString &message);
    // Scrolls for a key that scrolls the history; `inBox` when this box has
    // the focus, where the keys work without Shift as well.
    bool scrollByKey(const QKeyEvent &event, bool inBox);

    // The layout at the viewport's current width.
    const ReceiveLayout &layout() const;
    // The row the given number of rows below (or above) the top row.
    Row rowsFromTop(int rows) const;
    qint64 bottomTop() const;
    int visibleRowCount() const;

    int textLeft() const;
    qreal textWidth() const;
    // Where the bytes sit on screen now.
    ReceiveGeometry geometry() const;
    void paintRow(QPainter &painter, const Row &row, int y) const;
    void paintTextRow(QPainter &painter, const Row &row, int y) const;
    void paintHexRow(QPainter &painter, const Row &row, int y) const;

    ReceiveStore m_store;
    // Its wraps are a cache, filled as rows are asked for.
    mutable ReceiveLayout m_layout{m_store};
    BurstMarker m_bursts;
    ReceiveSelection m_selection{m_store};
    CaptureFile m_capture;
    ExcerptAnnouncer *m_announcer = nullptr;
    QWidget *m_typingBox = nullptr;
    QTimer m_flushTimer;
    QByteArray m_chunk;

    qint64 m_top = 0;
    bool m_follow = true;
    bool m_syncing = false;
    bool m_selecting = false;

    QFont m_hexFont;
    qreal m_hexCell = 8;
    int m_rowHeight = 16;
    int m_ascent = 12;
    int m_gutter = 0;

    Dialogs *m_dialogs = nullptr;
    CaptureFileChooser *m_chooser = nullptr;
    std::unique_ptr<Dialogs> m_ownDialogs;
    std::unique_ptr<CaptureFileChooser> m_ownChooser;
    std::unique_ptr<Clock> m_ownClock;

    QAction *m_copyAction = nullptr;
    QAction *m_selectAllAction = nullptr;
    QAction *m_hexAction = nullptr;
    QAction *m_stampAction = nullptr;
    QAction *m_captureAction = nullptr;
};
