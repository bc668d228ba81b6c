// SPDX-License-Identifier: GPL-3.0-or-later
// The receive box: layout without invented breaks, scrolling, copy, the hex
// view and burst time stamps, capture to a file, capacity, accessibility.
#include "support/core/appliedchange.h"
#include "support/core/recordingdialogs.h"

#include "receive/hexrow.h"
#include "system/clock.h"
#include "terminal/capturefilechooser.h"
#include "terminal/terminalview.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

namespace {
class ManualClock final : public Clock
{
public:
    double seconds() const override { return now; }
    double now = 0;
};

class FixedChooser final : public CaptureFileChooser
{
public:
    QString chooseCaptureFile(QWidget *) override { return path; }
    QString path;
};

QString latin1(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes);
}

QByteArray letters(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char('a' + i % 26);
    return bytes;
}

QByteArray lines(int count, int length)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += QByteArray::number(i).rightJustified(length, '.') + "\r\n";
    return bytes;
}
} // namespace

class TerminalViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wrapsWithoutInventedBreaks_data();
    void wrapsWithoutInventedBreaks();
    void breaksOnlyWhereTheModemDid_data();
    void breaksOnlyWhereTheModemDid();
    void copyGivesTheBytesAsReceived();
    void followsOnlyAtTheBottom();
    void hexRowsShowOffsetBytesAndText_data();
    void hexRowsShowOffsetBytesAndText();
    void hexViewAndStampsFollowBursts();
    void captureWritesEveryByteUnchanged();
    void failedCaptureStopsAndSaysSo_data();
    void failedCaptureStopsAndSaysSo();
    void dropsOldestWholeLinesAtCapacity();
    void accessibleTextIsTheTextAsShown();
    void accessibleHexTextIsTheRowsAsShown();
    void newTextIsAnnouncedInFewEvents();
    void keysScrollTheHistoryWithoutTyping();
};

void TerminalViewTest::wrapsWithoutInventedBreaks_data()
{
    QTest::addColumn<qsizetype>("size");
    QTest::newRow("3,000 letters") << qsizetype(3000);
    QTest::newRow("1 MB") << qsizetype(1000 * 1000);
}

void TerminalViewTest::wrapsWithoutInventedBreaks()
{
    QFETCH(qsizetype, size);
    TerminalView view;
    view.resize(320, 200);
    const QByteArray line = letters(size);
    for (qsizetype at = 0; at < size; at += 1000)
        view.appendReceived(latin1(line.mid(at, 1000)));
    view.flushPending();

    QCOMPARE(view.toPlainText(), latin1(line));
    QVERIFY(!view.toPlainText().contains(QLatin1Char('\n')));
    // The screen shows the end of the line, wrapped at the box's width: each
    // row fits, and the rows join up to the line's tail without a gap.
    const QStringList rows = view.visibleRows();
    QVERIFY(rows.size() > 3);
    const QFontMetricsF metrics(view.font());
    QString joined;
    for (const QString &row : rows) {
        QVERIFY2(metrics.horizontalAdvance(row) <= view.viewport()->width(), qPrintable(row));
        joined += row;
    }
    QVERIFY(latin1(line).endsWith(joined));
    QVERIFY(view.isAtBottom());
}

void TerminalViewTest::breaksOnlyWhereTheModemDid_data()
{
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<QString>("shown");
    QTest::newRow("CR") << QByteArrayList{"ab\rcd"} << "ab\ncd";
    QTest::newRow("LF") << QByteArrayList{"ab\ncd"} << "ab\ncd";
    QTest::newRow("CR LF") << QByteArrayList{"ab\r\ncd"} << "ab\ncd";
    QTest::newRow("CR LF split over chunks") << QByteArrayList{"ab\r", "\ncd"} << "ab\ncd";
    QTest::newRow("LF CR is two") << QByteArrayList{"ab\n\rcd"} << "ab\n\ncd";
    QTest::newRow("empty lines") << QByteArrayList{"\n\n", "\r\r\n"} << "\n\n\n\n";
    QTest::newRow("control bytes")
        << QByteArrayList{"\x01\x7f\x85\xe9"} << "\u2401\u2421\ufffd\u00e9";
}

void TerminalViewTest::breaksOnlyWhereTheModemDid()
{
    QFETCH(QByteArrayList, chunks);
    QFETCH(QString, shown);
    TerminalView view;
    view.resize(300, 300);
    for (const QByteArray &chunk : chunks)
        view.appendReceived(latin1(chunk));
    view.flushPending();

    QCOMPARE(view.toPlainText(), shown);
    QCOMPARE(view.receivedBytes(), chunks.join());
    // The rows on screen are the shown lines: nothing wraps at this width.
    QCOMPARE(view.visibleRows().join(QLatin1Char('\n')), shown);
}

void TerminalViewTest::copyGivesTheBytesAsReceived()
{
    TerminalView view;
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.appendReceived(QStringLiteral("one\r\ntwo\nthree"));
    view.flushPending();

    // A drag from the second character of the first row into the second row.
    const QFontMetrics metrics(view.font());
    const QPoint start(3 + metrics.horizontalAdvance(QStringLiteral("o")) + 1, 2);
    const QPoint end(3 + metrics.horizontalAdvance(QStringLiteral("tw")) + 1,
                     metrics.height() + metrics.height() / 2);
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, start);
    QTest::mouseMove(view.viewport(), end);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, end);
    QCOMPARE(view.selectedReceivedText(), QStringLiteral("ne\r\ntw"));

    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("ne\r\ntw"));
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("one\r\ntwo\nthree"));
}

void TerminalViewTest::followsOnlyAtTheBottom()
{
    TerminalView view;
    view.resize(300, 120);
    view.appendReceived(latin1(lines(100, 10)));
    view.flushPending();
    QVERIFY(view.isAtBottom());
    QCOMPARE(view.visibleRows().last(), QString());
    QVERIFY(view.visibleRows().contains(QStringLiteral("........99")));

    // WHEN the user scrolls up, THEN new text leaves the view where it is.
    view.scrollRows(-20);
    QVERIFY(!view.isAtBottom());
    const QStringList before = view.visibleRows();
    view.appendReceived(latin1(lines(5, 10)));
    view.flushPending();
    QCOMPARE(view.visibleRows(), before);

    // Back at the bottom, it follows again.
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    QVERIFY(view.isAtBottom());
    view.appendReceived(QStringLiteral("newest"));
    view.flushPending();
    QCOMPARE(view.visibleRows().last(), QStringLiteral("newest"));

    view.clearReceived();
    QVERIFY(view.receivedBytes().isEmpty());
    QCOMPARE(view.visibleRows(), QStringList{QString()});
}

void TerminalViewTest::hexRowsShowOffsetBytesAndText_data()
{
    QTest::addColumn<qint64>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("row");
    QTest::newRow("full row") << qint64(0) << QByteArray("ABCDEFGHIJKLMNOP")
                              << "00000000  41 42 43 44 45 46 47 48  49 4A 4B 4C 4D 4E 4F 50  "
                                 "ABCDEFGHIJKLMNOP";
    QTest::newRow("short row keeps the columns")
        << qint64(0x1234abcd0) << QByteArray("OK\r\n")
        << "234ABCD0  4F 4B 0D 0A                                       OK..";
    QTest::newRow("bytes that are not printable ASCII")
        << qint64(16) << QByteArray::fromHex("007f80ff20")
        << "00000010  00 7F 80 FF 20                                    .... ";
}

void TerminalViewTest::hexRowsShowOffsetBytesAndText()
{
    QFETCH(qint64, offset);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, row);
    QCOMPARE(HexRow::format(offset, bytes), row);
}

void TerminalViewTest::hexViewAndStampsFollowBursts()
{
    ManualClock clock;
    TerminalView view;
    view.setClock(&clock);
    view.resize(400, 300);
    view.appendReceived(QStringLiteral("0123456789"));
    view.flushPending();
    clock.now = 0.05; // within the quiet time: the same burst
    view.appendReceived(QStringLiteral("abcdefghij"));
    view.flushPending();
    clock.now = 0.2; // after a quiet time: a new burst
    view.appendReceived(QStringLiteral("XY"));
    view.setHexView(true);
    view.flushPending();

    QCOMPARE(view.visibleRows().mid(0, 2),
             (QStringList{HexRow::format(0, "0123456789abcdef"), HexRow::format(16, "ghijXY")}));
    QCOMPARE(view.store().bursts().size(), size_t(2));
    QCOMPARE(view.store().bursts()[1].offset, qint64(20));

    // With time stamps on, each burst starts a row of its own.
    view.setTimeStamps(true);
    QCOMPARE(view.visibleRows().mid(0, 3),
             (QStringList{HexRow::format(0, "0123456789abcdef"), HexRow::format(16, "ghij"),
                          HexRow::format(20, "XY")}));
    // The text view keeps its lines whole; the stamps sit beside them.
    view.setHexView(false);
    QCOMPARE(view.toPlainText(), QStringLiteral("0123456789abcdefghijXY"));
}

void TerminalViewTest::captureWritesEveryByteUnchanged()
{
    QTemporaryDir dir;
    FixedChooser chooser;
    chooser.path = dir.filePath(QStringLiteral("capture.bin"));
    RecordingDialogs dialogs;
    TerminalView view;
    view.setCaptureFileChooser(&chooser);
    view.setDialogs(&dialogs);
    view.appendReceived(QStringLiteral("before"));

    view.toggleCapture();
    QVERIFY(view.isCapturing());
    QByteArray sent;
    for (int byte = 0; byte < 256; ++byte)
        sent.append(char(byte));
    sent += "\r\nend";
    view.appendReceived(latin1(sent));
    // Flushed within a second, without stopping.
    QFile file(chooser.path);
    QTRY_COMPARE_WITH_TIMEOUT(file.size(), qint64(sent.size()), 5000);

    view.appendReceived(QStringLiteral("last"));
    view.toggleCapture();
    QVERIFY(!view.isCapturing());
    view.appendReceived(QStringLiteral("after"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), sent + "last");
    QVERIFY(dialogs.messages.isEmpty());
}

void TerminalViewTest::failedCaptureStopsAndSaysSo_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("starts");
    QTest::newRow("full device") << "/dev/full" << true;
    QTest::newRow("read-only folder") << "readonly/capture.bin" << false;
}

void TerminalViewTest::failedCaptureStopsAndSaysSo()
{
    QFETCH(QString, target);
    QFETCH(bool, starts);
    if (!QFile::exists(QStringLiteral("/dev/full")) && starts)
        QSKIP("no /dev/full here");
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("readonly")));
    QFile::setPermissions(dir.filePath(QStringLiteral("readonly")),
                          QFile::ReadOwner | QFile::ExeOwner);
    if (!starts && QFileInfo(dir.filePath(QStringLiteral("readonly"))).isWritable())
        QSKIP("running with rights that ignore folder permissions");
    FixedChooser chooser;
    chooser.path = target.startsWith(QLatin1Char('/')) ? target : dir.filePath(target);
    RecordingDialogs dialogs;
    TerminalView view;
    view.setCaptureFileChooser(&chooser);
    view.setDialogs(&dialogs);

    view.toggleCapture();
    QCOMPARE(view.isCapturing(), starts);
    view.appendReceived(latin1(letters(100 * 1000)));
    QTRY_VERIFY_WITH_TIMEOUT(!view.isCapturing(), 5000);
    QTRY_COMPARE(dialogs.messages.size(), 1);
    QVERIFY2(dialogs.messages.first().prompt.contains(chooser.path),
             qPrintable(dialogs.messages.first().prompt));
    // The box itself keeps everything.
    QCOMPARE(view.receivedBytes(), letters(100 * 1000));
}

void TerminalViewTest::dropsOldestWholeLinesAtCapacity()
{
    TerminalView view;
    view.resize(300, 200);
    constexpr qsizetype kCapacity = 64 * 1024;
    view.setCapacity(kCapacity);
    const QByteArray traffic = lines(20000, 10); // 240,000 bytes
    for (qsizetype at = 0; at < traffic.size(); at += 4096)
        view.appendReceived(latin1(traffic.mid(at, 4096)));
    view.flushPending();

    const QByteArray &held = view.receivedBytes();
    QVERIFY(held.size() <= kCapacity);
    QVERIFY(held.size() >= kCapacity / 2);
    QCOMPARE(view.droppedBytes() + held.size(), traffic.size());
    QVERIFY(traffic.endsWith(held));
    // Whole lines: what is held starts right after a line break.
    QVERIFY(traffic.mid(view.droppedBytes() - 2, 2) == "\r\n");
    QVERIFY(view.toPlainText().startsWith(TerminalView::droppedText(view.droppedBytes())));
    QCOMPARE(TerminalView::droppedText(qint64(12.3 * 1024 * 1024)),
             QStringLiteral("\u2026 12.3 MiB dropped"));

    // Scrolled to the top, the first line says what went.
    view.scrollRows(-100000);
    QCOMPARE(view.visibleRows().first(), TerminalView::droppedText(view.droppedBytes()));
    // The capacity comes from a setting in MiB; nonsense gives the default.
    QCOMPARE(TerminalView::capacityFromSetting(QStringLiteral("2")), qsizetype(2 * 1024 * 1024));
    QCOMPARE(TerminalView::capacityFromSetting(QStringLiteral("-5")), qsizetype(64 * 1024 * 1024));
    QCOMPARE(TerminalView::capacityFromSetting(QStringLiteral("lots")),
             qsizetype(64 * 1024 * 1024));
}

void TerminalViewTest::accessibleTextIsTheTextAsShown()
{
    TerminalView view;
    view.resize(300, 200);
    view.show();
    const QByteArray bytes = letters(3000) + "\r\nOK\x01";
    view.appendReceived(latin1(bytes));
    view.flushPending();

    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&view);
    QVERIFY(accessible);
    QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Received"));
    QAccessibleTextInterface *text = accessible->textInterface();
    QVERIFY(text);
    // As shown: CR LF is one line break, and 01 shows as its picture.
    const QString shown = latin1(letters(3000)) + u"\nOK\u2401";
    QCOMPARE(text->characterCount(), int(shown.size()));
    QCOMPARE(text->text(0, text->characterCount()), shown);
    text->setSelection(0, 2998, 3003);
    QCOMPARE(view.selectedReceivedText(), QStringLiteral("ij\r\nOK"));

    // Read at once after a burst, before the view's next frame, the text is current.
    view.appendReceived(QStringLiteral("\r\nREADY"));
    QVERIFY(text->text(0, text->characterCount()).endsWith(u"OK\u2401\nREADY"));
}

void TerminalViewTest::accessibleHexTextIsTheRowsAsShown()
{
    TerminalView view;
    view.resize(600, 300);
    view.show();
    const char raw[] = "AT\0\r\nOK\x01\x02\x03 and more than sixteen bytes";
    const QByteArray bytes(raw, qsizetype(sizeof raw) - 1);
    view.appendReceived(latin1(bytes));
    view.setHexView(true);
    view.flushPending();

    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&view);
    QVERIFY(accessible && accessible->textInterface());
    QAccessibleTextInterface *text = accessible->textInterface();
    // Everything fits in the box, so the text is every row on screen.
    QCOMPARE(text->text(0, text->characterCount()), view.visibleRows().join(u'\n'));
    QVERIFY(text->text(0, text->characterCount()).startsWith(u"00000000  41 54 00 0D"));
    QCOMPARE(accessible->text(QAccessible::Value), view.visibleRows().join(u'\n'));
}

void TerminalViewTest::newTextIsAnnouncedInFewEvents()
{
    TerminalView view;
    view.resize(300, 200);
    view.show();
    view.appendReceived(QStringLiteral("hello\r\n"));
    view.flushPending();
    // An announcer like the view's own, with a listener that is always there.
    auto *announcer = new ExcerptAnnouncer(
        &view, [&view] { return view.excerptNow(); }, [] { return true; });
    const QString known = announcer->excerpt().text();
    QVERIFY(known.startsWith(u"hello\n"));
    QList<ShownExcerpt::Change> changes;
    connect(announcer, &ExcerptAnnouncer::announced, this,
            [&changes](const ShownExcerpt::Change &change) { changes.append(change); });
    // A reader asking between announcements gets the text as shown now; the
    // events that follow still start from what was last announced.
    view.appendReceived(QStringLiteral("first\r\n"));
    view.flushPending();
    announcer->changed();
    QCOMPARE(announcer->excerpt().text(), view.excerptNow().text());

    // A flood of small chunks for half a second, enough to scroll the box.
    QElapsedTimer clock;
    clock.start();
    int chunks = 0;
    while (clock.elapsed() < 500) {
        view.appendReceived(QStringLiteral("line %1\r\n").arg(chunks++));
        view.flushPending();
        announcer->changed();
        QTest::qWait(2);
    }
    QTest::qWait(2 * int(ExcerptAnnouncer::kInterval.count()));

    // What was told rebuilds the text the box gives now, ending in the newest line.
    const QString now = announcer->excerpt().text();
    QCOMPARE(now, view.excerptNow().text());
    QString rebuilt = known;
    for (const ShownExcerpt::Change &change : std::as_const(changes))
        rebuilt = appliedChange(rebuilt, change);
    QCOMPARE(rebuilt, now);
    QVERIFY2(now.endsWith(QStringLiteral("line %1\n").arg(chunks - 1)), qPrintable(now.right(40)));
    // One change per interval, not one per chunk.
    QVERIFY(changes.size() >= 2);
    QVERIFY2(
        changes.size() <= clock.elapsed() / ExcerptAnnouncer::kInterval.count() + 1,
        qPrintable(QStringLiteral("%1 changes for %2 chunks").arg(changes.size()).arg(chunks)));
}

void TerminalViewTest::keysScrollTheHistoryWithoutTyping()
{
    QWidget window;
    auto *view = new TerminalView(&window);
    auto *typing = new QPlainTextEdit(&window);
    view->setGeometry(0, 0, 300, 200);
    typing->setGeometry(0, 210, 300, 40);
    view->pairWithTypingBox(typing);
    window.resize(300, 260);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    view->appendReceived(latin1(lines(500, 10)));
    view->flushPending();
    typing->setFocus();
    QTRY_VERIFY(typing->hasFocus());
    QVERIFY(view->isAtBottom());

    // Shift+Page Up in the typing box scrolls back; the box gets no text.
    int typed = 0;
    connect(typing, &QPlainTextEdit::textChanged, this, [&typed] { ++typed; });
    const QString bottomRow = view->visibleRows().first();
    QTest::keyClick(typing, Qt::Key_PageUp, Qt::ShiftModifier);
    QVERIFY(!view->isAtBottom());
    QVERIFY(view->visibleRows().first() != bottomRow);
    QTest::keyClick(typing, Qt::Key_Home, Qt::ShiftModifier);
    QCOMPARE(view->visibleRows().first(), QStringLiteral(".........0"));
    QTest::keyClick(typing, Qt::Key_End, Qt::ShiftModifier);
    QVERIFY(view->isAtBottom());
    QCOMPARE(typed, 0);
    QCOMPARE(typing->toPlainText(), QString());
    QVERIFY(typing->hasFocus());

    // F6 goes into the history, where plain keys scroll; Escape comes back.
    QTest::keyClick(typing, Qt::Key_F6);
    QTRY_VERIFY(view->hasFocus());
    QTest::keyClick(view, Qt::Key_PageUp);
    QVERIFY(!view->isAtBottom());
    QTest::keyClick(view, Qt::Key_Escape);
    QTRY_VERIFY(typing->hasFocus());
    QCOMPARE(typed, 0);
}

QTEST_MAIN(TerminalViewTest)
#include "tst_terminalview.moc"
