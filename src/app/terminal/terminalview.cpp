// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminalview.h"

#include "dialogcapturefilechooser.h"
#include "modem/modemsession.h"
#include "receive/hexrow.h"
#include "receive/receivelayout.h"
#include "system/application.h"
#include "system/steadyclock.h"
#include "terminalviewaccessible.h"
#include "widgets/widgetdialogs.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>

using namespace std::chrono_literals;

namespace {
// A frame at 60 Hz: fast enough to look immediate, slow enough to batch.
constexpr auto kFlushDelay = 16ms;
constexpr int kMargin = 3;
constexpr int kWheelRows = 3;
constexpr qsizetype kKiB = 1024;
constexpr qsizetype kMiB = 1024 * kKiB;
constexpr qsizetype kLargestCapacity = 1024 * kMiB;

QAccessibleInterface *accessibleFor(const QString &className, QObject *object)
{
    if (className == QLatin1String("TerminalView") && object && object->isWidgetType())
        return new TerminalViewAccessible(static_cast<TerminalView *>(object));
    return nullptr;
}
} // namespace

TerminalView::TerminalView(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_ownDialogs(std::make_unique<WidgetDialogs>(this))
    , m_ownChooser(std::make_unique<DialogCaptureFileChooser>())
    , m_ownClock(std::make_unique<SteadyClock>())
{
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(&accessibleFor);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);

    m_dialogs = m_ownDialogs.get();
    m_chooser = m_ownChooser.get();
    m_clock = m_ownClock.get();
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setCursor(Qt::IBeamCursor);
    m_flushTimer.setSingleShot(true);
    connect(&m_flushTimer, &QTimer::timeout, this, &TerminalView::flushPending);
    // Reported once the receive handler has returned, not from inside it.
    connect(&m_capture, &CaptureFile::failed, this, &TerminalView::reportMessage,
            Qt::QueuedConnection);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TerminalView::onScrollBarMoved);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            &TerminalView::onScrollBarAction);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, viewport(),
            qOverload<>(&QWidget::update));
    m_announcer = new ExcerptAnnouncer(this, [this] { return excerptNow(); });
    createActions();
    updateMetrics();
}

TerminalView::~TerminalView() = default;

void TerminalView::createActions()
{
    const auto add = [this](const QString &text, const QKeySequence &keys, bool checkable) {
        auto *action = new QAction(text, this);
        action->setShortcut(keys);
        // The box hands the focus on, so its keys work from the whole window
        // while it is on screen.
        action->setShortcutContext(Qt::WindowShortcut);
        action->setCheckable(checkable);
        addAction(action);
        return action;
    };
    m_copyAction = add(QStringLiteral("Copy"), QKeySequence(QStringLiteral("Ctrl+Shift+C")), false);
    m_selectAllAction =
        add(QStringLiteral("Select All"), QKeySequence(QStringLiteral("Ctrl+Shift+A")), false);
    m_hexAction =
        add(QStringLiteral("Hex View"), QKeySequence(QStringLiteral("Ctrl+Shift+H")), true);
    m_stampAction =
        add(QStringLiteral("Time Stamps"), QKeySequence(QStringLiteral("Ctrl+Shift+T")), true);
    m_captureAction = add(QStringLiteral("Capture to File\u2026"),
                          QKeySequence(QStringLiteral("Ctrl+Shift+L")), true);
    connect(m_copyAction, &QAction::triggered, this, &TerminalView::copy);
    connect(m_selectAllAction, &QAction::triggered, this, &TerminalView::selectAll);
    connect(m_hexAction, &QAction::toggled, this, &TerminalView::setHexView);
    connect(m_stampAction, &QAction::toggled, this, &TerminalView::setTimeStamps);
    connect(m_captureAction, &QAction::triggered, this, &TerminalView::toggleCapture);
}

// --- Receiving ---------------------------------------------------------------

void TerminalView::appendReceived(const QString &chunk)
{
    if (chunk.isEmpty())
        return;
    // While a frame is pending, bytes came less than a frame ago: the same
    // burst, and no clock to read for every byte of a flood. The frame notes
    // its time as the last arrival, which errs by at most one frame.
    if (!m_flushTimer.isActive()) {
        const double now = m_clock->seconds();
        // Bytes after the session's quiet time without any start a new burst.
        const double quiet = std::chrono::duration<double>(ModemSession::kQuietTime).count();
        if (!m_lastReceived || now - *m_lastReceived >= quiet)
            m_store.markBurst(QDateTime::currentMSecsSinceEpoch());
        m_lastReceived = now;
    }

    m_chunk.resize(chunk.size());
    for (qsizetype i = 0; i < chunk.size(); ++i)
        m_chunk[i] = static_cast<char>(chunk[i].unicode());
    m_store.append(m_chunk);
    m_capture.write(m_chunk);
    if (!m_flushTimer.isActive())
        m_flushTimer.start(kFlushDelay);
}

void TerminalView::clearReceived()
{
    m_flushTimer.stop();
    m_store.clear();
    m_lastReceived.reset();
    m_anchor = m_caret = 0;
    m_top = 0;
    m_follow = true;
    m_layout.invalidate();
    syncScrollBar();
    viewport()->update();
}

void TerminalView::flushPending()
{
    if (m_flushTimer.isActive())
        m_lastReceived = m_clock->seconds();
    m_flushTimer.stop();
    m_anchor = std::clamp(m_anchor, m_store.begin(), m_store.end());
    m_caret = std::clamp(m_caret, m_store.begin(), m_store.end());
    syncScrollBar();
    viewport()->update();
}

QString TerminalView::toPlainText() const
{
    return m_layout.toPlainText();
}

QStringList TerminalView::visibleRows() const
{
    QStringList rows;
    const ReceiveLayout &rowLayout = layout();
    const Row last = rowLayout.lastRow();
    std::optional<Row> row = rowLayout.rowAt(m_top);
    for (int shown = 0; row && shown * m_rowHeight < viewport()->height(); ++shown) {
        rows.append(rowLayout.rowText(*row));
        row = rowLayout.rowAfter(*row, last);
    }
    return rows;
}

// --- Settings and switches -----------------------------------------------------

qsizetype TerminalView::capacityFromSetting(const QString &mebibytes)
{
    bool ok = false;
    const double value = mebibytes.trimmed().toDouble(&ok);
    if (!ok || !(value > 0))
        return ReceiveStore::kDefaultCapacity;
    const double bytes = std::min(value * kMiB, double(kLargestCapacity));
    return std::max(qsizetype(bytes), ReceiveStore::kSmallestCapacity);
}

void TerminalView::setCapacity(qsizetype bytes)
{
    m_store.setCapacity(std::min(bytes, kLargestCapacity));
    m_layout.invalidate();
    flushPending();
}

void TerminalView::setHexView(bool on)
{
    m_layout.setHexView(on);
    m_hexAction->setChecked(on);
    m_top = layout().rowAt(m_top).start;
    flushPending();
}

void TerminalView::setTimeStamps(bool on)
{
    m_layout.setTimeStamps(on);
    m_stampAction->setChecked(on);
    flushPending();
}

void TerminalView::toggleCapture()
{
    if (m_capture.isActive()) {
        const QString failure = m_capture.stop();
        m_captureAction->setChecked(false);
        if (!failure.isEmpty())
            reportMessage(failure);
        return;
    }
    const QString fileName = m_chooser->chooseCaptureFile(this);
    if (!fileName.isEmpty()) {
        const QString failure = m_capture.start(fileName);
        if (!failure.isEmpty())
            reportMessage(failure);
    }
    m_captureAction->setChecked(m_capture.isActive());
}

void TerminalView::reportMessage(const QString &message)
{
    m_captureAction->setChecked(m_capture.isActive());
    m_dialogs->messageBox(message, Application::title());
}

// --- Selection -------------------------------------------------------------------

void TerminalView::setSelection(qint64 anchor, qint64 caret)
{
    m_anchor = std::clamp(anchor, m_store.begin(), m_store.end());
    m_caret = std::clamp(caret, m_store.begin(), m_store.end());
    viewport()->update();
}

void TerminalView::selectAll()
{
    setSelection(m_store.begin(), m_store.end());
}

qint64 TerminalView::selectionStart() const
{
    return std::clamp(std::min(m_anchor, m_caret), m_store.begin(), m_store.end());
}

qint64 TerminalView::selectionEnd() const
{
    return std::clamp(std::max(m_anchor, m_caret), m_store.begin(), m_store.end());
}

QString TerminalView::selectedReceivedText() const
{
    const QByteArrayView bytes = m_store.slice(selectionStart(), selectionEnd());
    return QString::fromLatin1(bytes.data(), bytes.size());
}

void TerminalView::copy() const
{
    if (selectionStart() == selectionEnd())
        return;
    QGuiApplication::clipboard()->setText(selectedReceivedText());
}

// --- Layout ------------------------------------------------------------------------

void TerminalView::updateMetrics()
{
    QFont textFont = font();
    // Kerning would make a row's width differ from the sum of its characters.
    textFont.setKerning(false);
    const QFontMetricsF text(textFont);
    std::array<qreal, 256> advances{};
    for (int byte = 0; byte < 256; ++byte) {
        const QChar shown = displayChar(static_cast<unsigned char>(byte));
        advances[size_t(byte)] = shown.isNull() ? 0 : text.horizontalAdvance(shown);
    }
    m_layout.setAdvances(advances);
    m_hexFont = font();
    m_hexFont.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")});
    m_hexFont.setStyleHint(QFont::Monospace);
    m_hexFont.setFixedPitch(true);
    const QFontMetricsF hex(m_hexFont);
    m_hexCell = hex.horizontalAdvance(QLatin1Char('0'));
    m_rowHeight = int(std::ceil(std::max(text.height(), hex.height())));
    m_ascent = int(std::ceil(std::max(text.ascent(), hex.ascent())));
    m_gutter = int(std::ceil(text.horizontalAdvance(QStringLiteral("00:00:00.000")))) + 2 * kMargin;
}

const ReceiveLayout &TerminalView::layout() const
{
    m_layout.setRowWidth(textWidth());
    return m_layout;
}

int TerminalView::textLeft() const
{
    return kMargin + (m_layout.hasTimeStamps() ? m_gutter : 0);
}

qreal TerminalView::textWidth() const
{
    return std::max<qreal>(viewport()->width() - textLeft() - kMargin, m_layout.advance('W'));
}

int TerminalView::visibleRowCount() const
{
    return std::max(1, viewport()->height() / m_rowHeight);
}

qint64 TerminalView::bottomTop() const
{
    return layout().bottomTop(visibleRowCount());
}

// --- Scrolling -----------------------------------------------------------------------

void TerminalView::syncScrollBar()
{
    m_syncing = true;
    const qint64 first = layout().firstTop();
    const qint64 bottom = std::max(bottomTop(), first);
    if (m_follow || m_top >= bottom)
        m_top = bottom;
    else
        m_top = layout().rowAt(std::max(m_top, first)).start;
    m_follow = m_top >= bottom;

    QScrollBar *bar = verticalScrollBar();
    const qreal averageAdvance = std::max<qreal>(m_layout.advance('n'), 1);
    const int rowBytes =
        m_layout.isHexView() ? HexRow::kBytes : std::max(1, int(textWidth() / averageAdvance));
    bar->setRange(0, int(std::min<qint64>(bottom - first, INT_MAX)));
    bar->setSingleStep(rowBytes);
    bar->setPageStep(std::max(1, rowBytes * (visibleRowCount() - 1)));
    bar->setValue(int(std::min<qint64>(m_top - first, INT_MAX)));

    QScrollBar *across = horizontalScrollBar();
    const int hexWidth = int(std::ceil(HexRow::width() * m_hexCell)) + textLeft() + kMargin;
    across->setRange(0, m_layout.isHexView() ? std::max(0, hexWidth - viewport()->width()) : 0);
    across->setPageStep(viewport()->width());
    across->setSingleStep(int(std::ceil(m_hexCell)));
    m_syncing = false;
    m_announcer->changed();
}

void TerminalView::onScrollBarMoved(int value)
{
    if (m_syncing)
        return;
    m_top = layout().rowAt(layout().firstTop() + value).start;
    m_follow = value >= verticalScrollBar()->maximum();
    viewport()->update();
    m_announcer->changed();
}

void TerminalView::onScrollBarAction(int action)
{
    int rows = 0;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        rows = 1;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        rows = -1;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        rows = std::max(1, visibleRowCount() - 1);
        break;
    case QAbstractSlider::SliderPageStepSub:
        rows = -std::max(1, visibleRowCount() - 1);
        break;
    default:
        return;
    }
    // Steps move by rows of the layout, whatever their length in bytes.
    verticalScrollBar()->setSliderPosition(int(rowsFromTop(rows).start - layout().firstTop()));
}

TerminalView::Row TerminalView::rowsFromTop(int rows) const
{
    return layout().rowsFrom(m_top, rows, visibleRowCount());
}

void TerminalView::scrollRows(int rows)
{
    m_top = rowsFromTop(rows).start;
    m_follow = m_top >= bottomTop();
    syncScrollBar();
    viewport()->update();
}

void TerminalView::scrollToBottom()
{
    m_follow = true;
    flushPending();
}

void TerminalView::scrollToOffset(qint64 offset)
{
    m_top = layout().rowAt(offset).start;
    m_follow = false;
    syncScrollBar();
    viewport()->update();
}

// --- Painting ------------------------------------------------------------------------

QString TerminalView::stampText(const Row &row) const
{
    const auto burst = m_store.burstFrom(row.start);
    if (burst == m_store.bursts().end() || burst->offset >= std::max(row.next, row.start + 1))
        return {};
    return QDateTime::fromMSecsSinceEpoch(burst->msecsSinceEpoch)
        .toString(QStringLiteral("hh:mm:ss.zzz"));
}

void TerminalView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().brush(QPalette::Base));
    const ReceiveLayout &rowLayout = layout();
    const Row last = rowLayout.lastRow();
    std::optional<Row> row = rowLayout.rowAt(m_top);
    for (int y = 0; row && y < viewport()->height(); y += m_rowHeight) {
        paintRow(painter, *row, y);
        row = rowLayout.rowAfter(*row, last);
    }
}

void TerminalView::paintRow(QPainter &painter, const Row &row, int y) const
{
    const QColor quiet = palette().color(QPalette::PlaceholderText);
    if (row.dropped) {
        QFont italic = font();
        italic.setItalic(true);
        painter.setFont(italic);
        painter.setPen(quiet);
        painter.drawText(kMargin - horizontalScrollBar()->value(), y + m_ascent,
                         m_layout.rowText(row));
        return;
    }
    if (m_layout.hasTimeStamps()) {
        const QString stamp = stampText(row);
        if (!stamp.isEmpty()) {
            painter.setFont(font());
            painter.setPen(quiet);
            painter.drawText(kMargin - horizontalScrollBar()->value(), y + m_ascent, stamp);
        }
    }
    if (m_layout.isHexView())
        paintHexRow(painter, row, y);
    else
        paintTextRow(painter, row, y);
}

void TerminalView::paintTextRow(QPainter &painter, const Row &row, int y) const
{
    QFont textFont = font();
    textFont.setKerning(false);
    painter.setFont(textFont);
    const qint64 from = std::clamp(selectionStart(), row.start, row.end);
    const qint64 to = std::clamp(selectionEnd(), row.start, row.end);
    qreal x = textLeft();
    const auto run = [&](qint64 begin, qint64 end, bool selected) {
        if (begin >= end)
            return;
        qreal width = 0;
        for (qint64 at = begin; at < end; ++at)
            width += m_layout.advance(m_store.at(at));
        if (selected) {
            painter.fillRect(QRectF(x, y, width, m_rowHeight),
                             palette().brush(QPalette::Highlight));
            painter.setPen(palette().color(QPalette::HighlightedText));
        } else {
            painter.setPen(palette().color(QPalette::Text));
        }
        painter.drawText(QPointF(x, y + m_ascent), m_layout.shownText(begin, end));
        x += width;
    };
    run(row.start, from, false);
    run(from, to, true);
    run(to, row.end, false);
    // A selected line break shows as a short block after the line.
    if (row.next > row.end && selectionStart() <= row.end && selectionEnd() > row.end)
        painter.fillRect(QRectF(x, y, m_layout.advance(' '), m_rowHeight),
                         palette().brush(QPalette::Highlight));
}

void TerminalView::paintHexRow(QPainter &painter, const Row &row, int y) const
{
    const qreal left = textLeft() - horizontalScrollBar()->value();
    QColor selected = palette().color(QPalette::Highlight);
    selected.setAlpha(90);
    const qint64 from = std::max(selectionStart(), row.start);
    const qint64 to = std::min(selectionEnd(), row.end);
    for (qint64 at = from; at < to; ++at) {
        const int index = int(at - row.start);
        painter.fillRect(
            QRectF(left + HexRow::hexColumn(index) * m_hexCell, y, 2 * m_hexCell, m_rowHeight),
            selected);
        painter.fillRect(
            QRectF(left + HexRow::charColumn(index) * m_hexCell, y, m_hexCell, m_rowHeight),
            selected);
    }
    painter.setFont(m_hexFont);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QPointF(left, y + m_ascent), m_layout.rowText(row));
}

// --- Hit testing -------------------------------------------------------------------

qint64 TerminalView::offsetInRow(const Row &row, int x) const
{
    if (row.dropped)
        return m_store.begin();
    if (m_layout.isHexView()) {
        const qreal column = (x - textLeft() + horizontalScrollBar()->value()) / m_hexCell;
        const int count = int(row.end - row.start);
        int index = 0;
        if (column >= HexRow::charColumn(0)) {
            index = int(std::floor(column)) - HexRow::charColumn(0);
        } else {
            while (index < count && column >= HexRow::hexColumn(index) + 2.5)
                ++index;
        }
        return row.start + std::clamp(index, 0, count);
    }
    qreal left = textLeft();
    for (qint64 at = row.start; at < row.end; ++at) {
        const qreal advance = m_layout.advance(m_store.at(at));
        if (x < left + advance / 2)
            return at;
        left += advance;
    }
    return row.end;
}

std::optional<qint64> TerminalView::offsetAt(const QPoint &point) const
{
    const ReceiveLayout &rowLayout = layout();
    const Row last = rowLayout.lastRow();
    std::optional<Row> row = rowLayout.rowAt(m_top);
    if (point.y() < 0)
        return row ? std::optional<qint64>(row->dropped ? m_store.begin() : row->start)
                   : std::nullopt;
    for (int y = m_rowHeight; row && y <= point.y(); y += m_rowHeight) {
        std::optional<Row> next = rowLayout.rowAfter(*row, last);
        if (!next)
            return m_store.end();
        row = next;
    }
    if (!row)
        return std::nullopt;
    return offsetInRow(*row, point.x());
}

QRect TerminalView::byteRect(qint64 offset) const
{
    const ReceiveLayout &rowLayout = layout();
    const Row last = rowLayout.lastRow();
    std::optional<Row> row = rowLayout.rowAt(m_top);
    for (int y = 0; row && y < viewport()->height(); y += m_rowHeight) {
        if (!row->dropped && offset >= row->start && offset < std::max(row->next, row->start + 1)) {
            const int index = int(std::min(offset, row->end) - row->start);
            if (m_layout.isHexView()) {
                const qreal left = textLeft() - horizontalScrollBar()->value();
                return QRectF(left + HexRow::hexColumn(index) * m_hexCell, y, 2 * m_hexCell,
                              m_rowHeight)
                    .toAlignedRect();
            }
            qreal left = textLeft();
            for (qint64 at = row->start; at < row->start + index; ++at)
                left += m_layout.advance(m_store.at(at));
            const qreal width = offset < row->end ? m_layout.advance(m_store.at(offset)) : 0;
            return QRectF(left, y, width, m_rowHeight).toAlignedRect();
        }
        row = rowLayout.rowAfter(*row, last);
    }
    return {};
}

// --- Events ----------------------------------------------------------------------------

void TerminalView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    m_layout.invalidate();
    syncScrollBar();
}

void TerminalView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateMetrics();
        syncScrollBar();
    }
}

void TerminalView::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (scrollByKey(*event, true)) {
        event->accept();
    } else if (m_typingBox && (key == Qt::Key_F6 || key == Qt::Key_Escape)) {
        m_typingBox->setFocus(Qt::ShortcutFocusReason);
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

bool TerminalView::scrollByKey(const QKeyEvent &event, bool inBox)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    const bool shift = modifiers == Qt::ShiftModifier;
    const bool plain = inBox && modifiers == Qt::NoModifier;
    const bool control = inBox && modifiers == Qt::ControlModifier;
    const int page = std::max(1, visibleRowCount() - 1);
    switch (event.key()) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (!shift && !plain)
            return false;
        scrollRows(event.key() == Qt::Key_PageUp ? -page : page);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!shift && !plain)
            return false;
        scrollRows(event.key() == Qt::Key_Up ? -1 : 1);
        return true;
    case Qt::Key_Home:
        if (!shift && !control)
            return false;
        scrollToOffset(layout().firstTop());
        return true;
    case Qt::Key_End:
        if (!shift && !control)
            return false;
        scrollToBottom();
        return true;
    default:
        return false;
    }
}

void TerminalView::pairWithTypingBox(QWidget *typingBox)
{
    m_typingBox = typingBox;
    typingBox->installEventFilter(this);
}

bool TerminalView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_typingBox && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F6 && key->modifiers() == Qt::NoModifier) {
            setFocus(Qt::ShortcutFocusReason);
            return true;
        }
        // These keys yield no character, so nothing goes to the modem.
        return scrollByKey(*key, false);
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

const ShownExcerpt &TerminalView::shownExcerpt()
{
    // Bytes held back for the next frame are shown to a reader at once.
    if (m_flushTimer.isActive())
        flushPending();
    return m_announcer->excerpt();
}

ShownExcerpt TerminalView::excerptNow() const
{
    // A row cut at the bottom shows too.
    return ShownExcerpt::around(layout(), m_top, visibleRowCount() + 1);
}

void TerminalView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    const qint64 at = offsetAt(event->position().toPoint()).value_or(m_store.end());
    if (!event->modifiers().testFlag(Qt::ShiftModifier))
        m_anchor = at;
    m_caret = at;
    m_selecting = true;
    viewport()->update();
}

void TerminalView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_selecting || !event->buttons().testFlag(Qt::LeftButton))
        return QAbstractScrollArea::mouseMoveEvent(event);
    const QPoint point = event->position().toPoint();
    if (point.y() < 0)
        scrollRows(-1);
    else if (point.y() >= viewport()->height())
        scrollRows(1);
    m_caret = offsetAt(point).value_or(m_store.end());
    viewport()->update();
}

void TerminalView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mouseDoubleClickEvent(event);
    // A double click selects the line, with its line break.
    const qint64 at = offsetAt(event->position().toPoint()).value_or(m_store.end());
    const qint64 next = m_store.nextLineStart(at);
    setSelection(m_store.lineStart(at), next < 0 ? m_store.end() : next);
}

void TerminalView::wheelEvent(QWheelEvent *event)
{
    const int notches = event->angleDelta().y() / 120;
    if (notches != 0)
        scrollRows(-notches * kWheelRows);
    event->accept();
}

void TerminalView::contextMenuEvent(QContextMenuEvent *event)
{
    m_copyAction->setEnabled(selectionStart() != selectionEnd());
    m_captureAction->setText(
        m_capture.isActive()
            ? QStringLiteral("Stop Capture to %1").arg(QFileInfo(m_capture.fileName()).fileName())
            : QStringLiteral("Capture to File\u2026"));
    QMenu menu(this);
    menu.addAction(m_copyAction);
    menu.addAction(m_selectAllAction);
    menu.addSeparator();
    menu.addAction(m_hexAction);
    menu.addAction(m_stampAction);
    menu.addSeparator();
    menu.addAction(m_captureAction);
    menu.exec(event->globalPos());
}
