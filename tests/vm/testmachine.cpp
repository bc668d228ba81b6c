// SPDX-License-Identifier: GPL-3.0-or-later
#include "testmachine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTest>

using namespace std::chrono_literals;

namespace {
const QString kQemu = QStringLiteral("qemu-system-x86_64");
const QString kMarker = QStringLiteral("@@ ");
// Boot to the runner's ready line takes 6 to 15 s under emulation.
constexpr auto kBootLimit = 120s;
constexpr auto kControlLimit = 20s;

} // namespace

QString TestMachine::Result::describe() const
{
    return QStringLiteral("exit %1 after %2 s (%3 s processor)\nstdout:\n%4\nstderr:\n%5")
        .arg(exitCode)
        .arg(real)
        .arg(cpu())
        .arg(out, err);
}

QString TestMachine::byIdPath()
{
    return QStringLiteral("/dev/serial/by-id/usb-QEMU_QEMU_USB_SERIAL_%1-if00-port0")
        .arg(QLatin1String(kSerialNumber));
}

TestMachine::TestMachine(const QString &imagesFolder, const QString &adapterDevice)
    : m_imagesFolder(imagesFolder)
    , m_adapterDevice(adapterDevice)
{
    QObject::connect(&m_qemu, &QProcess::readyReadStandardOutput, &m_qemu,
                     [this] { readConsole(); });
    QObject::connect(&m_control, &QLocalSocket::readyRead, &m_control, [this] {
        m_controlInput += m_control.readAll();
        qsizetype end = 0;
        while ((end = m_controlInput.indexOf('\n')) >= 0) {
            const QJsonObject message = QJsonDocument::fromJson(m_controlInput.left(end)).object();
            m_controlInput.remove(0, end + 1);
            if (message.contains(QLatin1String("event")))
                m_events.append(message.value(QLatin1String("event")).toString());
            else if (!message.contains(QLatin1String("QMP")))
                m_replies.append(message);
        }
    });
}

TestMachine::~TestMachine()
{
    if (m_qemu.state() == QProcess::NotRunning)
        return;
    m_qemu.kill();
    m_qemu.waitForFinished(10'000);
}

std::optional<QString> TestMachine::missing(const QString &imagesFolder)
{
    if (QStandardPaths::findExecutable(kQemu).isEmpty())
        return QStringLiteral("needs qemu-system-x86_64 (scripts/install-deps.sh vm)");
    // The machine runs the host's own udev, as the guest's device manager.
    if (!QFileInfo::exists(QStringLiteral("/lib/systemd/systemd-udevd")))
        return QStringLiteral("needs udev (scripts/install-deps.sh vm)");
    for (const QString &file : {QStringLiteral("kernel"), QStringLiteral("initramfs.gz")}) {
        if (!QFileInfo::exists(QDir(imagesFolder).filePath(file)))
            return QStringLiteral("needs the test machine's boot files: tests/vm/prepare.sh "
                                  "<build>/vm");
    }
    return std::nullopt;
}

bool TestMachine::boot()
{
    if (!m_results.isValid())
        return failed(QStringLiteral("no scratch folder: ") + m_results.errorString());
    const QString results = m_results.path();
    QFile job(m_results.filePath(QStringLiteral("job")));
    if (!job.open(QIODevice::WriteOnly))
        return failed(job.errorString());
    job.write(QStringLiteral("exec /bin/bash %1 %2\n")
                  .arg(qEnvironmentVariable("MIRAN_VM_RUNNER"), results)
                  .toLocal8Bit());
    job.close();

    const QDir images(m_imagesFolder);
    const QString control = m_results.filePath(QStringLiteral("control"));
    // The root is shared read-only, so the machine reads the build and runs
    // the host's own programs; the results folder is shared writable at the
    // same path. 256 MiB and a capped translation cache keep QEMU near 400 MB.
    const QStringList arguments{
        QStringLiteral("-machine"),
        QStringLiteral("q35"),
        QStringLiteral("-accel"),
        QStringLiteral("tcg,tb-size=128"),
        QStringLiteral("-m"),
        QStringLiteral("256"),
        QStringLiteral("-display"),
        QStringLiteral("none"),
        QStringLiteral("-monitor"),
        QStringLiteral("none"),
        QStringLiteral("-serial"),
        QStringLiteral("stdio"),
        QStringLiteral("-no-reboot"),
        QStringLiteral("-nic"),
        QStringLiteral("none"),
        QStringLiteral("-kernel"),
        images.filePath(QStringLiteral("kernel")),
        QStringLiteral("-initrd"),
        images.filePath(QStringLiteral("initramfs.gz")),
        QStringLiteral("-append"),
        QStringLiteral("console=ttyS0 quiet panic=-1 miran.results=") + results,
        QStringLiteral("-virtfs"),
        QStringLiteral("local,path=/,mount_tag=host,security_model=none,readonly=on,"
                       "multidevs=remap"),
        QStringLiteral("-virtfs"),
        QStringLiteral("local,path=%1,mount_tag=results,security_model=none").arg(results),
        QStringLiteral("-qmp"),
        QStringLiteral("unix:%1,server=on,wait=off").arg(control),
        QStringLiteral("-device"),
        QStringLiteral("qemu-xhci,id=xhci"),
        QStringLiteral("-chardev"),
        QStringLiteral("serial,id=modem,path=") + m_adapterDevice,
        QStringLiteral("-device"),
        QStringLiteral("usb-serial,id=adapter,chardev=modem,serial=") +
            QLatin1String(kSerialNumber)};
    m_qemu.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    m_qemu.start(kQemu, arguments);
    if (!m_qemu.waitForStarted(10'000))
        return failed(QStringLiteral("QEMU did not start: ") + m_qemu.errorString());
    if (!waitFor([&] { return QFileInfo::exists(control); }, kControlLimit))
        return failed(QStringLiteral("QEMU made no control socket"));
    m_control.connectToServer(control);
    if (!m_control.waitForConnected(10'000))
        return failed(QStringLiteral("QEMU's control socket: ") + m_control.errorString());
    if (!qmp(QJsonObject{{QStringLiteral("execute"), QStringLiteral("qmp_capabilities")}}))
        return false;
    if (!waitFor([this] { return m_ready; }, kBootLimit))
        return failed(QStringLiteral("the machine did not come up"));
    m_bootTime = std::chrono::milliseconds(clock.elapsed());
    return true;
}

std::optional<TestMachine::Result> TestMachine::run(const QString &id, const QString &command,
                                                    std::chrono::seconds limit)
{
    if (!start(id, command, limit))
        return std::nullopt;
    return wait(id, limit + 30s);
}

bool TestMachine::start(const QString &id, const QString &command, std::chrono::seconds limit)
{
    m_done.remove(id);
    return request(QStringLiteral("start %1 %2 %3").arg(id).arg(limit.count()).arg(command));
}

std::optional<TestMachine::Result> TestMachine::wait(const QString &id, std::chrono::seconds limit)
{
    if (!waitFor([&] { return m_done.contains(id); }, limit)) {
        failed(QStringLiteral("no end of \"%1\" from the machine").arg(id));
        return std::nullopt;
    }
    return collect(id, m_done.value(id));
}

bool TestMachine::unplug()
{
    m_events.removeAll(QStringLiteral("DEVICE_DELETED"));
    const QJsonObject arguments{{QStringLiteral("id"), QStringLiteral("adapter")}};
    return qmp({{QStringLiteral("execute"), QStringLiteral("device_del")},
                {QStringLiteral("arguments"), arguments}}) &&
           waitForEvent(QStringLiteral("DEVICE_DELETED"));
}

bool TestMachine::replug()
{
    const QJsonObject arguments{{QStringLiteral("driver"), QStringLiteral("usb-serial")},
                                {QStringLiteral("id"), QStringLiteral("adapter")},
                                {QStringLiteral("chardev"), QStringLiteral("modem")},
                                {QStringLiteral("serial"), QLatin1String(kSerialNumber)}};
    return qmp({{QStringLiteral("execute"), QStringLiteral("device_add")},
                {QStringLiteral("arguments"), arguments}})
        .has_value();
}

void TestMachine::shutDown()
{
    if (m_qemu.state() == QProcess::NotRunning)
        return;
    m_quitting = true;
    request(QStringLiteral("quit"));
    if (!waitFor([this] { return m_qemu.state() == QProcess::NotRunning; }, 30s))
        m_qemu.kill();
    m_qemu.waitForFinished(10'000);
}

void TestMachine::readConsole()
{
    sampleMemory();
    m_consolePending += QString::fromLocal8Bit(m_qemu.readAllStandardOutput());
    qsizetype end = 0;
    while ((end = m_consolePending.indexOf(QLatin1Char('\n'))) >= 0) {
        QString line = m_consolePending.left(end);
        m_consolePending.remove(0, end + 1);
        line.remove(QLatin1Char('\r'));
        m_console += line + QLatin1Char('\n');
        consoleLine(line);
    }
}

void TestMachine::consoleLine(const QString &line)
{
    // A background command's line may follow other output on the same line.
    const qsizetype marker = line.indexOf(kMarker);
    if (marker < 0)
        return;
    const QStringList words = line.mid(marker + kMarker.size()).split(QLatin1Char(' '));
    if (words.value(0) == QLatin1String("ready"))
        m_ready = true;
    else if (words.value(0) == QLatin1String("done") && words.size() >= 3)
        m_done.insert(words.at(1), words.mid(2));
}

bool TestMachine::request(const QString &line)
{
    if (m_qemu.state() != QProcess::Running)
        return failed(QStringLiteral("QEMU is not running"));
    m_qemu.write((line + QLatin1Char('\n')).toLocal8Bit());
    return true;
}

std::optional<QJsonObject> TestMachine::qmp(const QJsonObject &command)
{
    m_replies.clear();
    m_control.write(QJsonDocument(command).toJson(QJsonDocument::Compact) + '\n');
    if (!waitFor([this] { return !m_replies.isEmpty(); }, kControlLimit)) {
        failed(QStringLiteral("QEMU did not answer ") +
               command.value(QLatin1String("execute")).toString());
        return std::nullopt;
    }
    const QJsonObject reply = m_replies.takeFirst();
    if (reply.contains(QLatin1String("error"))) {
        failed(QStringLiteral("QEMU refused %1: %2")
                   .arg(command.value(QLatin1String("execute")).toString(),
                        QString::fromUtf8(QJsonDocument(reply).toJson(QJsonDocument::Compact))));
        return std::nullopt;
    }
    return reply;
}

bool TestMachine::waitForEvent(const QString &event)
{
    if (waitFor([&] { return m_events.contains(event); }, kControlLimit))
        return true;
    return failed(QStringLiteral("QEMU reported no ") + event);
}

bool TestMachine::waitFor(const std::function<bool()> &condition, std::chrono::milliseconds limit)
{
    // QEMU ending is a fault unless the guest was asked to end.
    return QTest::qWaitFor(
               [&] {
                   return condition() || (m_qemu.state() == QProcess::NotRunning && !m_quitting);
               },
               static_cast<int>(limit.count())) &&
           (condition() || m_quitting || failed(QStringLiteral("QEMU ended")));
}

bool TestMachine::failed(const QString &fault)
{
    if (m_fault.isEmpty()) {
        m_fault = fault;
        if (m_qemu.state() == QProcess::NotRunning)
            m_fault +=
                QStringLiteral(" (QEMU exit %1%2)")
                    .arg(m_qemu.exitCode())
                    .arg(m_qemu.exitStatus() == QProcess::CrashExit ? QStringLiteral(", crashed")
                                                                    : QString());
    }
    return false;
}

void TestMachine::sampleMemory()
{
    QFile status(QStringLiteral("/proc/%1/status").arg(m_qemu.processId()));
    if (m_qemu.processId() <= 0 || !status.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            m_peakMemoryKiB =
                std::max(m_peakMemoryKiB, line.mid(6).trimmed().split(' ').value(0).toLongLong());
    }
}

TestMachine::Result TestMachine::collect(const QString &id, const QStringList &fields) const
{
    Result result;
    result.exitCode = fields.value(0).toInt();
    result.real = fields.value(1).toDouble();
    result.user = fields.value(2).toDouble();
    result.system = fields.value(3).toDouble();
    const auto read = [&](const QString &suffix) {
        QFile file(m_results.filePath(id + suffix));
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    };
    result.out = read(QStringLiteral(".out"));
    result.err = read(QStringLiteral(".err"));
    return result;
}
