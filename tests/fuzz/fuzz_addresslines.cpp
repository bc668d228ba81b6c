// SPDX-License-Identifier: GPL-3.0-or-later
// The line rules of the address file: the first byte gives the length of an
// entry to append, the rest is the file's content.
#include "fuzzcheck.h"

#include "address/addresslines.h"

#include <algorithm>
#include <cstdint>

using fuzzcheck::require;

namespace {

// The content with every terminator taken out: each CR, and an LF right
// after a CR.
QString withoutTerminators(const QByteArray &content)
{
    QString text;
    for (qsizetype i = 0; i < content.size(); ++i) {
        if (content.at(i) == '\n' && i > 0 && content.at(i - 1) == '\r')
            continue;
        if (content.at(i) != '\r')
            text.append(QLatin1Char(content.at(i)));
    }
    return text;
}

void checkSplit(const QByteArray &content, const QStringList &lines)
{
    qsizetype characters = 0;
    for (const QString &line : lines) {
        require(!line.contains(QLatin1Char('\r')), "no line holds a CR");
        require(AddressLines::isStorable(line), "every line is storable");
        characters += line.size();
    }
    require(characters <= content.size(), "lines hold no more characters than the content");
    require(lines.size() <= content.count('\r') + 1, "at most one line per CR, and the last");
    require(lines.join(QString()) == withoutTerminators(content),
            "lines are the content without its terminators");
    require(lines.isEmpty() == content.isEmpty(), "only empty content has no lines");
}

// Each line written back with its CR LF splits into the same lines. (Joined
// only between lines, a last empty line would be lost.)
void checkRejoin(const QStringList &lines)
{
    QByteArray written;
    for (const QString &line : lines)
        written += line.toLatin1() + "\r\n";
    require(AddressLines::split(written) == lines, "lines written with CR LF split the same");
}

void checkAppend(const QByteArray &content, const QStringList &lines, const QString &entry)
{
    require(AddressLines::isStorable(entry), "Latin-1 text is storable");
    require(!AddressLines::isStorable(entry + QChar(u'\u0100')), "a wider character is not");
    if (entry.contains(QLatin1Char('\r')) || entry.contains(QLatin1Char('\n')))
        return;
    const QByteArray bytes = AddressLines::appendBytes(entry, content.right(2));
    require(bytes.endsWith("\r\n"), "an appended entry ends with CR LF");
    require(AddressLines::split(content + bytes) == lines + QStringList{entry},
            "appending adds the entry as a line of its own");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t entryLength = std::min<std::size_t>(data[0] % 16, size - 1);
    const QString entry = fuzzcheck::latin1(data + 1, entryLength);
    const QByteArray content(reinterpret_cast<const char *>(data + 1 + entryLength),
                             static_cast<qsizetype>(size - 1 - entryLength));
    const QStringList lines = AddressLines::split(content);
    checkSplit(content, lines);
    checkRejoin(lines);
    checkAppend(content, lines, entry);
    return 0;
}
