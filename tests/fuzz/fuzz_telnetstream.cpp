// SPDX-License-Identifier: GPL-3.0-or-later
// A serial server's byte stream: any bytes, split at any point, go through the
// telnet side of a network port. Whatever they hold, the data is never more
// than came in, the answers stay bounded, and data escaped and taken back by
// a fresh stream comes out as it went in.
#include "fuzzcheck.h"

#include "network/telnetstream.h"

#include <cstdint>

using fuzzcheck::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    // The first byte says where the stream is split, as the network may.
    const qsizetype split = size > 0 ? data[0] % static_cast<qsizetype>(size + 1) : 0;

    TelnetStream stream;
    const TelnetStream::Taken first = stream.take(input.first(split));
    const TelnetStream::Taken second = stream.take(input.sliced(split));
    require(first.data.size() + second.data.size() <= input.size(), "no more data than came in");
    // Each three-byte option command is answered by at most three bytes.
    require(first.reply.size() + second.reply.size() <= input.size(), "answers bounded by input");

    TelnetStream fresh;
    const QByteArray escaped = TelnetStream::escaped(input);
    const TelnetStream::Taken back = fresh.take(escaped);
    require(back.data == input, "escaped data comes back unchanged");
    require(back.reply.isEmpty(), "escaped data asks nothing");
    return 0;
}
