// SPDX-License-Identifier: GPL-3.0-or-later
// The receive box's store and layout under any sequence of arrivals: chunks
// of any size and bytes into a small store, so that old lines drop often,
// bursts marked between them, now and then a clear, a new capacity or a new
// layout. After each step the store holds the newest bytes at their absolute
// offsets, its line index matches a scan of them, and the layout, which keeps
// its wraps from step to step as the view's does, tiles them in the rows a
// scan gives, walked down or up.
//
// The input is a list of steps, each an operation byte and its arguments:
//   append: a length byte, then that many bytes; with the top bit set, the
//           next 8 bytes repeated to 64 times the low bits
//   mark a burst, clear, capacity (one byte), layout (one byte)
#include "fuzzcheck.h"

#include "../support/core/naivereceive.h"

#include "receive/receivelayout.h"
#include "receive/receivestore.h"

#include <algorithm>
#include <cstdint>
#include <vector>

using fuzzcheck::require;

namespace {
// At most this many steps an input, and the line index asked about every
// so many offsets (and next to every line start): the checks scan the whole
// store, and a fuzzer wants many runs a second.
constexpr int kSteps = 48;
constexpr int kEvery = 37;

class Input
{
public:
    Input(const std::uint8_t *data, std::size_t size)
        : m_bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size))
    {}

    bool atEnd() const { return m_bytes.isEmpty(); }
    int byte()
    {
        if (m_bytes.isEmpty())
            return 0;
        const auto value = static_cast<unsigned char>(m_bytes.front());
        m_bytes = m_bytes.sliced(1);
        return value;
    }
    QByteArrayView take(qsizetype size)
    {
        const QByteArrayView taken = m_bytes.first(std::min(size, m_bytes.size()));
        m_bytes = m_bytes.sliced(taken.size());
        return taken;
    }

private:
    QByteArrayView m_bytes;
};

QByteArray chunkFrom(Input &input)
{
    const int length = input.byte();
    if ((length & 0x80) == 0)
        return input.take(length).toByteArray();
    const QByteArray pattern = input.take(8).toByteArray();
    if (pattern.isEmpty())
        return {};
    QByteArray chunk;
    const qsizetype size = qsizetype(length & 0x7F) * 64;
    while (chunk.size() < size)
        chunk += pattern;
    return chunk.first(size);
}

// Advances of one to four halves, by byte; the width and view from the
// setting.
naivereceive::Setup setupFrom(int setting)
{
    naivereceive::Setup setup;
    for (size_t byte = 0; byte < setup.advances.size(); ++byte)
        setup.advances[byte] = 0.5 * double(1 + (byte + size_t(setting)) % 4);
    // Mostly several bytes a row, as the rows of a box are; now and then
    // narrower than a byte, so that each byte takes a row.
    const int widthStep = (setting >> 2) % 64;
    setup.width = widthStep == 0 ? 0.75 : 8 + 2.0 * widthStep;
    setup.hex = (setting & 1) != 0;
    setup.stamps = (setting & 2) != 0;
    return setup;
}

// What came since the last clear: its tail, one byte longer than the store
// can hold, the bursts marked, and the capacity at the last drop.
struct Model
{
    QByteArray tail;
    qint64 tailStart = 0;
    std::vector<qint64> marks;
    qint64 dropped = 0;
    qsizetype dropCapacity = 0;
};

// Whether the store's first byte started a line when it arrived.
bool startsLine(const ReceiveStore &store, const Model &model)
{
    const auto at = qsizetype(store.begin() - model.tailStart);
    if (store.begin() == 0 || at <= 0 || at >= model.tail.size())
        return store.begin() == 0;
    const char before = model.tail[at - 1];
    return before == '\n' || (before == '\r' && model.tail[at] != '\n');
}

// Where an append can change the index's answers from: the end, or after a
// CR that an LF may join, the start of the CR's line.
qint64 changeableFrom(const ReceiveStore &store)
{
    if (store.end() == store.begin() || store.at(store.end() - 1) != '\r')
        return store.end();
    const std::vector<qint64> starts = naivereceive::lineStarts(store);
    return *std::prev(std::upper_bound(starts.begin(), starts.end(), store.end() - 1));
}

void checkStore(const ReceiveStore &store, const Model &model, qint64 changedFrom)
{
    require(store.bytes().size() <= store.capacity(), "no more held than the capacity");
    require(store.droppedBytes() == store.begin(), "dropped bytes are the first offset held");
    require(store.end() == model.tailStart + model.tail.size(), "every byte counted");
    require(store.begin() >= model.tailStart, "the model keeps what the store holds");
    require(store.bytes() == model.tail.sliced(qsizetype(store.begin() - model.tailStart)),
            "the newest bytes are held");
    // Only a line longer than what a drop keeps is cut in its middle.
    const std::vector<qint64> starts = naivereceive::lineStarts(store);
    const qint64 firstLine = (starts.size() > 1 ? starts[1] : store.end()) - store.begin();
    require(startsLine(store, model) || firstLine >= model.dropCapacity - model.dropCapacity / 16,
            "whole lines are dropped");
    std::vector<qint64> held;
    for (const ReceiveStore::Burst &burst : store.bursts())
        held.push_back(burst.offset);
    std::vector<qint64> kept;
    for (const qint64 mark : model.marks) {
        if (mark >= store.begin())
            kept.push_back(mark);
    }
    require(held == kept, "the bursts held are those marked at or after the first byte");
    require(naivereceive::lineIndexMismatch(store, changedFrom, kEvery).isEmpty(),
            "the line index matches a scan");
}

void checkLayout(const ReceiveStore &store, const ReceiveLayout &layout,
                 const naivereceive::Setup &setup)
{
    const std::vector<ReceiveLayout::Row> down = naivereceive::walkDown(layout);
    require(!down.empty() && down.front().start == layout.firstTop(), "rows start at the top");
    require(down.back().start == layout.lastRow().start, "walking down reaches the last row");
    for (size_t i = 0; i + 1 < down.size(); ++i) {
        require(down[i].start <= down[i].end && down[i].end <= down[i].next,
                "a row's bytes come before its break");
        require(down[i].next == down[i + 1].start, "each row starts where the one above ends");
    }
    require(down.back().next == store.end(), "the rows cover every held byte");

    const QStringList described = naivereceive::describe(down);
    require(described == naivereceive::describe(naivereceive::walkUp(layout)),
            "walking up gives the same rows");
    require(described == naivereceive::describe(naivereceive::rows(store, setup)),
            "the rows are those a scan gives");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Input input(data, size);
    const int capacityByte = input.byte();
    ReceiveStore store(ReceiveStore::kSmallestCapacity + capacityByte * 16);
    ReceiveLayout layout(store);
    naivereceive::Setup setup = setupFrom(input.byte());
    naivereceive::apply(layout, setup);
    Model model;
    qint64 clock = 0;

    for (int step = 0; step < kSteps && !input.atEnd(); ++step) {
        qint64 changedFrom = changeableFrom(store);
        switch (input.byte() % 8) {
        case 0:
        case 1:
        case 2:
        case 3: {
            const QByteArray chunk = chunkFrom(input);
            store.append(chunk);
            model.tail += chunk;
            break;
        }
        case 4:
            store.markBurst(++clock);
            if (model.marks.empty() || model.marks.back() != store.end())
                model.marks.push_back(store.end());
            break;
        case 5:
            store.clear();
            layout.invalidate();
            model = Model();
            break;
        case 6:
            store.setCapacity(ReceiveStore::kSmallestCapacity + input.byte() * 16);
            layout.invalidate();
            break;
        default:
            setup = setupFrom(input.byte());
            naivereceive::apply(layout, setup);
            break;
        }
        if (store.droppedBytes() != model.dropped || store.end() == 0) {
            changedFrom = 0;
            model.dropped = store.droppedBytes();
            model.dropCapacity = store.capacity();
        }
        const qsizetype surplus = model.tail.size() - store.capacity() - 1;
        if (surplus > 0) {
            model.tail.remove(0, surplus);
            model.tailStart += surplus;
        }
        checkStore(store, model, changedFrom);
        checkLayout(store, layout, setup);
    }
    return 0;
}
