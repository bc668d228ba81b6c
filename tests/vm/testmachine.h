// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QLocalSocket>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <optional>

// A virtual machine (QEMU, software emulation) that boots Debian's kernel
// with the host's root as its own, read-only, and an emulated FTDI USB
// serial adapter whose far end is a pty on the host. Inside, the real
// ftdi_sio driver and udev make /dev/ttyUSB0 and its /dev/serial/by-id name.
// Commands run in the machine through guest-runner.sh on its console; the
// adapter is unplugged and plugged in again over QEMU's control socket.
//
// Every call that waits on the machine returns false or nothing when the
// machine failed (QEMU ended or stopped answering): fault() says how. That
// is the machine's fault, not the program's, and the caller may boot again.
class TestMachine
{
public:
    // What a command in the machine did: its exit code, times in seconds,
    // and its output.
    struct Result
    {
        int exitCode = -1;
        double real = 0;
        double user = 0;
        double system = 0;
        QString out;
        QString err;

        double cpu() const { return user + system; }
        QString describe() const;
    };

    // The USB serial number the adapter reports, and so its by-id name.
    static constexpr char kSerialNumber[] = "MIRAN0001";
    static QString byIdPath();

    // The boot files (tests/vm/prepare.sh) in imagesFolder; the adapter
    // talks to the pty adapterDevice.
    TestMachine(const QString &imagesFolder, const QString &adapterDevice);
    ~TestMachine();

    TestMachine(const TestMachine &) = delete;
    TestMachine &operator=(const TestMachine &) = delete;

    // Why this host cannot boot the machine (a missing tool or boot file),
    // or nothing when it can.
    static std::optional<QString> missing(const QString &imagesFolder);

    // Boots and waits until the guest's runner is ready.
    bool boot();
    // Runs a bash command line in the machine, at most limit long.
    std::optional<Result> run(const QString &id, const QString &command,
                              std::chrono::seconds limit = std::chrono::seconds(60));
    // The same, in the background; wait() collects it.
    bool start(const QString &id, const QString &command,
               std::chrono::seconds limit = std::chrono::seconds(60));
    std::optional<Result> wait(const QString &id,
                               std::chrono::seconds limit = std::chrono::seconds(90));
    // Whether a started command has ended.
    bool hasEnded(const QString &id) const { return m_done.contains(id); }
    // A file in the folder the machine shares with the host, at the same
    // path on both sides: a command in the machine and the host can leave
    // each other word there.
    QString sharedPath(const QString &name) const { return m_results.filePath(name); }
    // Removes the adapter from the machine's USB bus, as a user pulls it out,
    // and puts it back.
    bool unplug();
    bool replug();
    // Asks the guest to end and waits for QEMU to exit.
    void shutDown();

    QString fault() const { return m_fault; }
    // Everything the machine printed on its console.
    QString console() const { return m_console; }
    // How long the boot took, from QEMU's start to the runner's ready line.
    std::chrono::milliseconds bootTime() const { return m_bootTime; }
    // QEMU's peak resident memory, from /proc, in KiB.
    qint64 peakMemoryKiB() const { return m_peakMemoryKiB; }

private:
    void readConsole();
    void consoleLine(const QString &line);
    bool request(const QString &line);
    std::optional<QJsonObject> qmp(const QJsonObject &command);
    bool waitForEvent(const QString &event);
    bool waitFor(const std::function<bool()> &condition, std::chrono::milliseconds limit);
    bool failed(const QString &fault);
    void sampleMemory();
    Result collect(const QString &id, const QStringList &fields) const;

    QString m_imagesFolder;
    QString m_adapterDevice;
    QTemporaryDir m_results;
    QProcess m_qemu;
    QLocalSocket m_control;
    QByteArray m_controlInput;
    QStringList m_events;
    QList<QJsonObject> m_replies;
    QString m_consolePending;
    QString m_console;
    bool m_ready = false;
    bool m_quitting = false;
    QHash<QString, QStringList> m_done;
    QString m_fault;
    std::chrono::milliseconds m_bootTime{0};
    qint64 m_peakMemoryKiB = 0;
};
