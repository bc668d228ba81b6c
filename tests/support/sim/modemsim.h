// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The configuration the end-to-end tests give the simulated modem, and the
// twelve field texts it reads back as.
inline const QString kSimConfiguration = QStringLiteral("7F7F7F7E0A01FF050A031E1E");
inline const QStringList kSimConfigurationFields{
    QStringLiteral("7F"), QStringLiteral("7F"), QStringLiteral("7F"), QStringLiteral("7E"),
    QStringLiteral("A"),  QStringLiteral("1"),  QStringLiteral("FF"), QStringLiteral("5"),
    QStringLiteral("10"), QStringLiteral("3"),  QStringLiteral("30"), QStringLiteral("30")};

// The simulated modem (tools/modem-sim) in a child process. Its device is
// kept behind a symlink in a private folder, next to its event log. The
// process is stopped with SIGTERM when the object goes.
class ModemSim
{
public:
    // One line of the event log. For RX, TX, CONFIG, DROP and IGNORED the
    // detail is hex and also given as bytes.
    struct Entry
    {
        double seconds = 0;
        QString event;
        QString detail;
        QByteArray bytes;
    };

    // Received chunks with less than the modem's announced burst gap between them:
    // what the modem takes as one message.
    struct Burst
    {
        double seconds = 0;
        QByteArray bytes;
    };

    // Starts the simulator with these options besides --link and --log and
    // waits for its first device.
    explicit ModemSim(const QStringList &arguments = {});
    ~ModemSim();

    ModemSim(const ModemSim &) = delete;
    ModemSim &operator=(const ModemSim &) = delete;

    // Whether the simulator announced itself and its device came up;
    // errorString() says why not.
    bool isReady() const { return m_ready; }
    QString errorString() const;

    QString linkPath() const;
    // The pty behind the link, from the latest DEVICE line.
    QString device() const { return m_device; }

    // One command line on stdin: "hangup", "plug", "send 0102", ...
    void command(const QString &line);
    // "plug", then waits for the new device.
    bool plug(int timeoutMs = 10'000);
    // The configuration the modem holds now, asked with "config".
    QByteArray configuration(int timeoutMs = 10'000);

    // What the modem sends for --flood and "flood": count bytes from the
    // seed it announced.
    QByteArray floodBytes(qsizetype count) const;

    QList<Entry> log() const;
    // The bursts among the log entries from index from on.
    QList<Burst> rxBursts(qsizetype from = 0) const;
    // Just the bytes of each burst, for comparing with what was written.
    static QList<QByteArray> burstBytes(const QList<Burst> &bursts);

private:
    void readOutput();
    qsizetype countLines(const QString &prefix) const;

    QTemporaryDir m_folder;
    QProcess m_process;
    QString m_pendingOutput;
    QString m_errors;
    QStringList m_lines;
    QString m_device;
    double m_burstGapSeconds = 0;
    quint32 m_floodSeed = 0;
    bool m_ready = false;
};
