// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// What one run of miran-cli gave.
struct CliRun
{
    int code = -1;
    QString out;
    QString err;
};

// miran-cli, the real executable, run by a test with a settings folder of its
// own ($XDG_CONFIG_HOME) and no display of any kind: the tool needs none.
class CliProgram
{
public:
    bool isValid() const { return m_config.isValid(); }
    QString configPath() const { return m_config.path(); }
    QString filePath(const QString &name) const { return m_config.filePath(name); }

    void start(QProcess &process, const QStringList &arguments) const;
    // Runs it to its end with this input on its standard input; -1 as code
    // when it did not end normally.
    CliRun run(const QStringList &arguments, const QByteArray &input = {}) const;
    // The same with this thread's events handled meanwhile, for servers and
    // proxies the test runs itself.
    CliRun runWithEvents(const QStringList &arguments) const;

private:
    QProcessEnvironment environment() const;
    static CliRun finished(QProcess &process);

    QTemporaryDir m_config;
};
