// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clirequest.h"
#include "modem/modemconfig.h"

#include <QStringList>
#include <QTextStream>

#include <functional>
#include <optional>

class CliModem;
class InterruptWatcher;
class PortMap;

// Runs one command line: results to out, progress and errors to err, and the
// exit code back. The signals that end a run reach the modem through the
// watcher, which lives for the whole run.
class CliRunner
{
public:
    CliRunner(QTextStream &out, QTextStream &err, InterruptWatcher &interrupts);

    int run(const QStringList &arguments);

private:
    int dispatch(const CliRequest &request);
    // A list of devices: one runs as usual, more run each in a child of its
    // own, all at once.
    int onEachDevice(const CliRequest &request, const QStringList &arguments);
    // The devices of --device and --devices, in that order, each named once.
    static std::optional<QStringList> allDevices(const CliRequest &request, QString &error);
    // What each device's run reads on standard input: --from - once read here.
    std::optional<QByteArray> inputForEach(const CliRequest &request, QString &error) const;
    int usageError(const CliRequest &request, const QString &error);
    int ports(const CliRequest &request);
    // Runs a command on the modem the request names: its port mapped, a raw
    // TCP port's rate noted, the signals that end a run watched.
    int withModem(const CliRequest &request, const std::function<int(CliModem &)> &command);
    int read(const CliRequest &request);
    int write(const CliRequest &request);
    int find(const CliRequest &request);

    // The comm port number the session opens, mapped for this run when a
    // device path was given.
    static int commPortFor(const CliRequest &request, PortMap &portMap);
    std::optional<ModemConfig> loadFrom(const QString &file, QString &error) const;
    std::optional<QByteArray> readFrom(const QString &file, QString &error) const;
    static QString fromError(const CliRequest &request, const QString &error);
    // A signal, also one that came earlier, aborts the modem's session.
    void watchInterrupts(CliModem &modem);
    // Says once that a raw TCP port's rate is the server's.
    void noteFixedRate(const QString &device);
    void report(const QStringList &messages);
    void print(const ModemConfig &config, bool json);

    QTextStream &m_out;
    QTextStream &m_err;
    InterruptWatcher &m_interrupts;
};
