// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "receive/receivelayout.h"
#include "receive/receivestore.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

// The lines and rows of a receive store worked out the slow way, from a scan
// of every held byte, for tests and fuzz targets to compare the store's index
// and the layout's cached wraps against.
namespace naivereceive {

// Every line start among the held bytes, in order. The first held byte
// starts a line; so does the byte after an LF, and the byte after a CR that
// is not followed by an LF.
inline std::vector<qint64> lineStarts(const ReceiveStore &store)
{
    const QByteArray &bytes = store.bytes();
    std::vector<qint64> starts{store.begin()};
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const bool lf = bytes[i] == '\n';
        const bool loneCr = bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n');
        if (lf || loneCr)
            starts.push_back(store.begin() + i + 1);
    }
    return starts;
}

// Where the text of the line starting at starts[index] ends, before its break.
inline qint64 lineEnd(const ReceiveStore &store, const std::vector<qint64> &starts, size_t index)
{
    if (index + 1 == starts.size())
        return store.end();
    const qint64 next = starts[index + 1];
    const bool crlf =
        next - 2 >= starts[index] && store.at(next - 1) == '\n' && store.at(next - 2) == '\r';
    return next - (crlf ? 2 : 1);
}

// The first place where the store's line index disagrees with the scan, or
// an empty string. Offsets before `from` and the lines that end before it go
// unchecked: after an append only the last line's answers can change. With
// `every` above 1, only every so many offsets are asked about, and those next
// to a line start.
inline QString lineIndexMismatch(const ReceiveStore &store, qint64 from = 0, int every = 1)
{
    const std::vector<qint64> starts = lineStarts(store);
    size_t line = 0;
    for (qint64 at = store.begin(); at <= store.end(); ++at) {
        while (line + 1 < starts.size() && starts[line + 1] <= at)
            ++line;
        const bool nearStart =
            at - starts[line] <= 1 || (line + 1 < starts.size() && starts[line + 1] - at <= 1);
        if (at < from || (!nearStart && at != store.end() && (at - from) % every != 0))
            continue;
        const qint64 next = line + 1 < starts.size() ? starts[line + 1] : -1;
        if (store.lineStart(at) != starts[line])
            return QStringLiteral("lineStart(%1) is %2, not %3")
                .arg(at)
                .arg(store.lineStart(at))
                .arg(starts[line]);
        if (store.nextLineStart(at) != next)
            return QStringLiteral("nextLineStart(%1) is %2, not %3")
                .arg(at)
                .arg(store.nextLineStart(at))
                .arg(next);
    }
    for (size_t i = 0; i < starts.size(); ++i) {
        if (i + 1 < starts.size() && starts[i + 1] <= from)
            continue;
        if (store.lineEnd(starts[i]) != lineEnd(store, starts, i))
            return QStringLiteral("lineEnd(%1) is %2, not %3")
                .arg(starts[i])
                .arg(store.lineEnd(starts[i]))
                .arg(lineEnd(store, starts, i));
    }
    return {};
}

// How a layout is set up, for building the same rows the slow way.
struct Setup
{
    std::array<qreal, 256> advances{};
    qreal width = 10;
    bool hex = false;
    bool stamps = false;
};

inline void apply(ReceiveLayout &layout, const Setup &setup)
{
    layout.setAdvances(setup.advances);
    layout.setRowWidth(setup.width);
    layout.setHexView(setup.hex);
    layout.setTimeStamps(setup.stamps);
}

// Each line wrapped on its own: a row takes bytes while they fit the width,
// and always at least one.
inline void appendTextRows(const ReceiveStore &store, const Setup &setup,
                           std::vector<ReceiveLayout::Row> &rows)
{
    const std::vector<qint64> starts = lineStarts(store);
    for (size_t i = 0; i < starts.size(); ++i) {
        const qint64 end = lineEnd(store, starts, i);
        const qint64 next = i + 1 < starts.size() ? starts[i + 1] : store.end();
        qint64 rowStart = starts[i];
        qreal used = 0;
        for (qint64 at = rowStart; at < end; ++at) {
            const qreal advance = setup.advances[store.at(at)];
            if (used > 0 && used + advance > setup.width) {
                rows.push_back({rowStart, at, at, false});
                rowStart = at;
                used = 0;
            }
            used += advance;
        }
        rows.push_back({rowStart, end, next, false});
    }
}

// Sixteen bytes a row, counted from offset 0 or, with time stamps, from the
// start of the burst the byte belongs to.
inline void appendHexRows(const ReceiveStore &store, const Setup &setup,
                          std::vector<ReceiveLayout::Row> &rows)
{
    if (store.begin() == store.end()) {
        rows.push_back({store.begin(), store.begin(), store.begin(), false});
        return;
    }
    std::vector<qint64> starts;
    qint64 counted = 0;
    auto burst = store.bursts().begin();
    for (qint64 at = store.begin(); at < store.end(); ++at) {
        for (; setup.stamps && burst != store.bursts().end() && burst->offset <= at; ++burst)
            counted = burst->offset;
        if (at == store.begin() || (at - counted) % 16 == 0)
            starts.push_back(at);
    }
    for (size_t i = 0; i < starts.size(); ++i) {
        const qint64 end = i + 1 < starts.size() ? starts[i + 1] : store.end();
        rows.push_back({starts[i], end, end, false});
    }
}

// Every row from the top, the dropped marker first when bytes were dropped.
inline std::vector<ReceiveLayout::Row> rows(const ReceiveStore &store, const Setup &setup)
{
    std::vector<ReceiveLayout::Row> all;
    if (store.droppedBytes() > 0)
        all.push_back({store.begin() - 1, store.begin() - 1, store.begin(), true});
    if (setup.hex)
        appendHexRows(store, setup, all);
    else
        appendTextRows(store, setup, all);
    return all;
}

// "start-end>next", with a "dropped" mark, for comparing lists of rows.
inline QString describe(const ReceiveLayout::Row &row)
{
    return QStringLiteral("%1-%2>%3%4")
        .arg(row.start)
        .arg(row.end)
        .arg(row.next)
        .arg(row.dropped ? QStringLiteral(" dropped") : QString());
}

inline QStringList describe(const std::vector<ReceiveLayout::Row> &rows)
{
    QStringList described;
    for (const ReceiveLayout::Row &row : rows)
        described.append(describe(row));
    return described;
}

// More rows than any layout of the held bytes has: every row but the last
// covers a byte. A walk that gets this far does not end.
inline size_t rowLimit(const ReceiveLayout &layout)
{
    return size_t(layout.lastRow().next - layout.firstTop()) + 2;
}

// The rows the layout gives walking down from the top, and walking up from
// the last row (put back in top-down order).
inline std::vector<ReceiveLayout::Row> walkDown(const ReceiveLayout &layout)
{
    std::vector<ReceiveLayout::Row> rows;
    const size_t limit = rowLimit(layout);
    const ReceiveLayout::Row last = layout.lastRow();
    std::optional<ReceiveLayout::Row> row = layout.rowAt(layout.firstTop());
    for (; row && rows.size() <= limit; row = layout.rowAfter(*row, last))
        rows.push_back(*row);
    return rows;
}

inline std::vector<ReceiveLayout::Row> walkUp(const ReceiveLayout &layout)
{
    std::vector<ReceiveLayout::Row> rows;
    const size_t limit = rowLimit(layout);
    std::optional<ReceiveLayout::Row> row = layout.lastRow();
    for (; row && rows.size() <= limit; row = layout.rowBefore(*row))
        rows.push_back(*row);
    std::reverse(rows.begin(), rows.end());
    return rows;
}

} // namespace naivereceive
