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

QAccessibleInterface *accessibleFor(const QString &className, QObject *object)
{
    if (className == QLatin1String("TerminalView") && object && object->isWidgetType())
        return new TerminalViewAccessible(static_cast<TerminalView *>(object));
    return nullptr;
}
} // namespace

TerminalView::TerminalView(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_bursts(m_store, ModemSession::kQuietTime)
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
    setClock(m_ownClock.get());
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
    const auto add = [this](const QString &text, const char *keys, bool checkable) {
        auto *action = new QAction(text, this);
        action->setShortcut(QKeySequence(QLatin1String(keys)));
        // The box hands the focus on, so its keys work from the whole window
        // while it is on screen.
        action->setShortcutContext(Qt::WindowShortcut);
        action->setCheckable(checkable);
        addAction(action);
        return action;
    };
    m_copyAction = add(QStringLiteral("Copy"), "Ctrl+Shift+C", false);
    m_selectAllAction = add(QStringLiteral("Select All"), "Ctrl+Shift+A", false);
    m_hexAction = add(QStringLiteral("Hex View"), "Ctrl+Shift+H", true);
    m_stampAction = add(QStringLiteral("Time Stamps"), "Ctrl+Shift+T", true);
    m_captureAction = add(QStringLiteral("Capture to File\u2026"), "Ctrl+Shift+L", true);
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
    if (!m_flushTimer.isActive())
        m_bursts.arriving();

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
    m_bursts.reset();
    m_selection.clear();
    m_top = 0;
    m_follow = true;
    m_layout.invalidate();
    syncScrollBar();
    viewport()->update();
}

void TerminalView::flushPending()
{
    if (m_flushTimer.isActive())
        m_bursts.noteArrival();
    m_flushTimer.stop();
    m_selection.clamp();
    syncScrollBar();
    viewport()->update();
}

QStringList TerminalView::visibleRows() const
{
    QStringList rows;
    for (const Row &row : geometry().rowsOnScreen())
        rows.append(m_layout.rowText(row));
    return rows;
}

// --- Settings and switches -----------------------------------------------------

void TerminalView::setCapacity(qsizetype bytes)
{
    m_store.setCapacity(std::min(bytes, ReceiveStore::kLargestCapacity));
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

void TerminalView::setClock(const Clock *clock)
{
    // Bursts are timed on this clock alone; the wall clock only places it.
    m_bursts.setClock(clock, QDateTime::currentMSecsSinceEpoch());
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
    m_selection.select(anchor, caret);
    viewport()->update();
}

void TerminalView::copy() const
{
    if (m_selection.isEmpty())
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
    m_layout.setAdvancesFrom([&text](QChar shown) { return text.horizontalAdvance(shown); });
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

ReceiveGeometry TerminalView::geometry() const
{
    const ReceiveGeometry::Frame frame{
        m_top,       textLeft(),           horizontalScrollBar()->value(),
        m_rowHeight, viewport()->height(), m_hexCell};
    return ReceiveGeometry(layout(), frame);
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
    using Slider = QAbstractSlider;
    const int page = std::max(1, visibleRowCount() - 1);
    const int rows = action == Slider::SliderSingleStepAdd   ? 1
                     : action == Slider::SliderSingleStepSub ? -1
                     : action == Slider::SliderPageStepAdd   ? page
                     : action == Slider::SliderPageStepSub   ? -page
                                                             : 0;
    if (rows == 0)
        return;
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

void TerminalView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().brush(QPalette::Base));
    int y = 0;
    for (const Row &row : geometry().rowsOnScreen()) {
        paintRow(painter, row, y);
        y += m_rowHeight;
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
        const QString stamp = m_bursts.stampText(row);
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
    for (const auto &run : geometry().textRuns(row, y, selectionStart(), selectionEnd())) {
        if (run.selected)
            painter.fillRect(run.rect, palette().brush(QPalette::Highlight));
        if (run.from == run.to)
            continue; // a selected line break: a short block after the line
        painter.setPen(palette().color(run.selected ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(QPointF(run.rect.x(), y + m_ascent), m_layout.shownText(run.from, run.to));
    }
}

void TerminalView::paintHexRow(QPainter &painter, const Row &row, int y) const
{
    QColor selected = palette().color(QPalette::Highlight);
    selected.setAlpha(90);
    for (const QRectF &rect : geometry().hexSelection(row, y, selectionStart(), selectionEnd()))
        painter.fillRect(rect, selected);
    painter.setFont(m_hexFont);
    painter.setPen(palette().color(QPalette::Text));
    const qreal left = textLeft() - horizontalScrollBar()->value();
    painter.drawText(QPointF(left, y + m_ascent), m_layout.rowText(row));
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
    // Rows and pages without Shift in the box; top and bottom with Ctrl there.
    const bool byRows = shift || (inBox && modifiers == Qt::NoModifier);
    const bool toEnds = shift || (inBox && modifiers == Qt::ControlModifier);
    const int page = std::max(1, visibleRowCount() - 1);
    const int key = event.key();
    if (byRows && (key == Qt::Key_PageUp || key == Qt::Key_PageDown))
        scrollRows(key == Qt::Key_PageUp ? -page : page);
    else if (byRows && (key == Qt::Key_Up || key == Qt::Key_Down))
        scrollRows(key == Qt::Key_Up ? -1 : 1);
    else if (toEnds && key == Qt::Key_Home)
        scrollToOffset(layout().firstTop());
    else if (toEnds && key == Qt::Key_End)
        scrollToBottom();
    else
        return false;
    return true;
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
    m_selection.moveCaret(at, event->modifiers().testFlag(Qt::ShiftModifier));
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
    m_selection.moveCaret(offsetAt(point).value_or(m_store.end()), true);
    viewport()->update();
}

void TerminalView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mouseDoubleClickEvent(event);
    // A double click selects the line, with its line break.
    m_selection.selectLine(offsetAt(event->position().toPoint()).value_or(m_store.end()));
    viewport()->update();
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
    m_copyAction->setEnabled(!m_selection.isEmpty());
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
