#pragma once

#include "clirequest.h"
#include "modemconfig.h"

#include <QStringList>
#include <QTextStream>

#include <optional>

class CliModem;
class InterruptWatcher;
class PortMap;

// Runs one command line: results to out, progress and errors to err, and the
// exit code back.
class CliRunner
{
public:
    CliRunner(QTextStream &out, QTextStream &err);

    int run(const QStringList &arguments);

private:
    int usageError(const CliRequest &request, const QString &error);
    int ports(const CliRequest &request);
    int read(const CliRequest &request);
    int write(const CliRequest &request);
    int find(const CliRequest &request);

    // The comm port number the session opens, mapped for this run when a
    // device path was given.
    static int commPortFor(const CliRequest &request, PortMap &portMap);
    std::optional<ModemConfig> loadFrom(const QString &file, QString &error) const;
    // Ctrl-C and SIGTERM reach the modem while the watcher lives; before and
    // after, they act as usual.
    static void watchInterrupts(InterruptWatcher &interrupts, CliModem &modem);
    void report(const QStringList &messages);
    void print(const ModemConfig &config, bool json);

    QTextStream &m_out;
    QTextStream &m_err;
};
