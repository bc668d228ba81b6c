// SPDX-License-Identifier: GPL-3.0-or-later
#include "modemsim.h"

#include <QFile>
#include <QTest>

#include <algorithm>

namespace {
const QString kDevicePrefix = QStringLiteral("DEVICE ");
const QString kConfigPrefix = QStringLiteral("CONFIG ");
const QString kBurstGapPrefix = QStringLiteral("BURST-GAP ");
const QString kFloodSeedPrefix = QStringLiteral("FLOOD-SEED ");

bool hasHexDetail(const QString &event)
{
    static const QStringList events{QStringLiteral("RX"), QStringLiteral("TX"),
                                    QStringLiteral("CONFIG"), QStringLiteral("IGNORED")};
    return events.contains(event);
}
} // namespace

ModemSim::ModemSim(const QStringList &arguments)
{
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process,
                     [this] { readOutput(); });
    QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process, [this] {
        m_errors += QString::fromLocal8Bit(m_process.readAllStandardError());
    });
    // CTest names the simulator beside the tests, so that a copied build runs its own.
    m_process.start(qEnvironmentVariable("MIRAN_MODEM_SIM", QStringLiteral(MODEM_SIM_PATH)),
                    QStringList{QStringLiteral("--link"), linkPath(), QStringLiteral("--log"),
                                m_folder.filePath(QStringLiteral("sim.log"))} +
                        arguments);
    m_ready = QTest::qWaitFor(
        [this] { return !m_device.isEmpty() || m_process.state() == QProcess::NotRunning; },
        10'000);
    m_ready = m_ready && !m_device.isEmpty();
    if (m_ready && (m_burstGapSeconds <= 0 || m_floodSeed == 0)) {
        m_errors += QStringLiteral("no burst gap or flood seed announced");
        m_ready = false;
    }
}

ModemSim::~ModemSim()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10'000)) {
        m_process.kill();
        m_process.waitForFinished(10'000);
    }
}

QString ModemSim::errorString() const
{
    return QStringLiteral("modem-sim (%1): %2").arg(m_process.errorString(), m_errors);
}

QString ModemSim::linkPath() const
{
    return m_folder.filePath(QStringLiteral("modem"));
}

void ModemSim::command(const QString &line)
{
    m_process.write((line + QLatin1Char('\n')).toLocal8Bit());
    m_process.waitForBytesWritten(10'000);
}

bool ModemSim::plug(int timeoutMs)
{
    const qsizetype seen = countLines(kDevicePrefix);
    command(QStringLiteral("plug"));
    return QTest::qWaitFor([&] { return countLines(kDevicePrefix) > seen; }, timeoutMs);
}

QByteArray ModemSim::configuration(int timeoutMs)
{
    const qsizetype seen = countLines(kConfigPrefix);
    command(QStringLiteral("config"));
    if (!QTest::qWaitFor([&] { return countLines(kConfigPrefix) > seen; }, timeoutMs))
        return {};
    for (auto line = m_lines.crbegin(); line != m_lines.crend(); ++line) {
        if (line->startsWith(kConfigPrefix))
            return QByteArray::fromHex(line->mid(kConfigPrefix.size()).toLatin1());
    }
    return {};
}

QByteArray ModemSim::floodBytes(qsizetype count) const
{
    // xorshift32; each byte is the top byte of the state after a step.
    QByteArray bytes(count, Qt::Uninitialized);
    quint32 state = m_floodSeed;
    for (char &byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

QList<ModemSim::Entry> ModemSim::log() const
{
    QFile file(m_folder.filePath(QStringLiteral("sim.log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Entry> entries;
    const QByteArray content = file.readAll();
    // A line still being written has no newline yet; it is read next time.
    const QList<QByteArray> lines = content.left(content.lastIndexOf('\n')).split('\n');
    for (const QByteArray &line : lines) {
        QStringList words = QString::fromLatin1(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.size() < 2)
            continue;
        Entry entry;
        entry.seconds = words.takeFirst().toDouble();
        entry.event = words.takeFirst();
        entry.detail = words.join(QLatin1Char(' '));
        if (hasHexDetail(entry.event))
            entry.bytes = QByteArray::fromHex(entry.detail.toLatin1());
        entries.append(entry);
    }
    return entries;
}

QList<ModemSim::Burst> ModemSim::rxBursts(qsizetype from) const
{
    const QList<Entry> entries = log();
    QList<Burst> bursts;
    double last = 0;
    for (qsizetype i = from; i < entries.size(); ++i) {
        const Entry &entry = entries.at(i);
        if (entry.event != QLatin1String("RX"))
            continue;
        if (bursts.isEmpty() || entry.seconds - last >= m_burstGapSeconds)
            bursts.append(Burst{entry.seconds, {}});
        bursts.last().bytes += entry.bytes;
        last = entry.seconds;
    }
    return bursts;
}

void ModemSim::readOutput()
{
    m_pendingOutput += QString::fromLocal8Bit(m_process.readAllStandardOutput());
    qsizetype end = 0;
    while ((end = m_pendingOutput.indexOf(QLatin1Char('\n'))) >= 0) {
        const QString line = m_pendingOutput.left(end).trimmed();
        m_pendingOutput.remove(0, end + 1);
        m_lines.append(line);
        if (line.startsWith(kDevicePrefix))
            m_device = line.mid(kDevicePrefix.size());
        else if (line.startsWith(kBurstGapPrefix))
            m_burstGapSeconds = line.mid(kBurstGapPrefix.size()).toDouble() / 1000;
        else if (line.startsWith(kFloodSeedPrefix))
            m_floodSeed = line.mid(kFloodSeedPrefix.size()).toUInt(nullptr, 16);
    }
}

qsizetype ModemSim::countLines(const QString &prefix) const
{
    return std::count_if(m_lines.cbegin(), m_lines.cend(),
                         [&prefix](const QString &line) { return line.startsWith(prefix); });
}

QList<QByteArray> ModemSim::burstBytes(const QList<Burst> &bursts)
{
    QList<QByteArray> list;
    for (const Burst &burst : bursts)
        list.append(burst.bytes);
    return list;
}
