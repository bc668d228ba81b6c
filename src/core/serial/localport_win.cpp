// SPDX-License-Identifier: GPL-3.0-or-later
#include "localport.h"

#include <QWinEventNotifier>

#include <windows.h>

#include <algorithm>
#include <array>

namespace {
// The most bytes taken from the driver at a time.
constexpr DWORD kReadChunk = 4096;

// The name CreateFileW takes for a device such as COM12.
std::wstring deviceName(const QString &path)
{
    const QString name =
        path.startsWith(QStringLiteral("\\\\.\\")) ? path : QStringLiteral("\\\\.\\") + path;
    return name.toStdWString();
}

QString systemMessage(DWORD error)
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    QString message = length > 0 ? QString::fromWCharArray(text, int(length)).trimmed()
                                 : QStringLiteral("system error %1").arg(error);
    LocalFree(text);
    while (message.endsWith(QLatin1Char('.')))
        message.chop(1);
    return message;
}

// One overlapped operation: its record, the event the system sets when it
// ends, and the notifier that brings that event into the event loop.
struct Pending
{
    Pending()
        : event(CreateEventW(nullptr, TRUE, FALSE, nullptr))
        , notifier(event)
    {
        notifier.setEnabled(false);
    }
    ~Pending() { CloseHandle(event); }
    Pending(const Pending &) = delete;
    Pending &operator=(const Pending &) = delete;

    OVERLAPPED *start()
    {
        overlapped = OVERLAPPED{};
        overlapped.hEvent = event;
        running = true;
        return &overlapped;
    }

    // After ReadFile or WriteFile on start()'s record: false when the
    // operation failed at once instead of ending or going on.
    bool began(BOOL result)
    {
        if (result || GetLastError() == ERROR_IO_PENDING)
            return true;
        running = false;
        return false;
    }

    enum class Ended
    {
        Not,
        Done,
        Failed
    };
    // Whether the operation has ended, once its event is set; count is
    // what it moved.
    Ended ended(HANDLE handle, DWORD &count)
    {
        if (!running)
            return Ended::Not;
        const bool done = GetOverlappedResult(handle, &overlapped, &count, FALSE);
        if (!done && GetLastError() == ERROR_IO_INCOMPLETE)
            return Ended::Not;
        finish();
        return done ? Ended::Done : Ended::Failed;
    }

    // Waits for the operation to end; false when it failed.
    bool wait(HANDLE handle, DWORD &count)
    {
        const bool done = GetOverlappedResult(handle, &overlapped, &count, TRUE);
        finish();
        return done;
    }

    void finish()
    {
        running = false;
        ResetEvent(event);
    }

    HANDLE event;
    QWinEventNotifier notifier;
    OVERLAPPED overlapped{};
    bool running = false;
};
} // namespace

// Keeps one read outstanding while the port is open, so bytes are taken as
// they arrive without polling, and writes the queued bytes one overlapped
// write at a time. Both completions come through the event loop.
class LocalPort::Native
{
public:
    explicit Native(LocalPort &owner)
        : m_owner(owner)
    {
        QObject::connect(&m_read.notifier, &QWinEventNotifier::activated, &owner,
                         [this] { readEnded(); });
        QObject::connect(&m_write.notifier, &QWinEventNotifier::activated, &owner,
                         [this] { writeEnded(); });
    }
    ~Native() { close(); }

    void open(const QString &path, qint32 rate, int portNumber)
    {
        const HANDLE handle = CreateFileW(deviceName(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            throw openFailure(GetLastError(), path, portNumber);
        m_handle = handle;
        m_path = path;
        m_lostRaised = false;
        m_received.clear();
        m_queued.clear();
        if (!setRate(rate)) {
            close();
            throw rateRefused(path, rate);
        }
        // No timeouts: the one-byte read that waits for the line ends when a
        // byte arrives, and a read of bytes already there ends at once.
        COMMTIMEOUTS timeouts{};
        if (!SetCommTimeouts(m_handle, &timeouts)) {
            const DWORD error = GetLastError();
            close();
            throw Failure(
                FailureNumber::DeviceUnavailable,
                QStringLiteral("%1 could not be set up: %2.").arg(path, systemMessage(error)));
        }
        // Whatever the device buffered before the program took it is not a reply.
        PurgeComm(m_handle, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
        m_read.notifier.setEnabled(true);
        m_write.notifier.setEnabled(true);
        startRead();
    }

    bool setRate(qint32 rate)
    {
        DCB state{};
        state.DCBlength = sizeof(state);
        if (!GetCommState(m_handle, &state))
            return false;
        state.BaudRate = DWORD(rate);
        state.ByteSize = 8;
        state.Parity = NOPARITY;
        state.StopBits = ONESTOPBIT;
        state.fBinary = TRUE;
        state.fParity = FALSE;
        state.fOutxCtsFlow = FALSE;
        state.fOutxDsrFlow = FALSE;
        state.fDsrSensitivity = FALSE;
        state.fOutX = FALSE;
        state.fInX = FALSE;
        state.fNull = FALSE;
        state.fErrorChar = FALSE;
        state.fAbortOnError = FALSE;
        state.fDtrControl = DTR_CONTROL_ENABLE;
        state.fRtsControl = RTS_CONTROL_ENABLE;
        return SetCommState(m_handle, &state) != 0;
    }

    bool isOpen() const { return m_handle != INVALID_HANDLE_VALUE; }

    void write(const QByteArray &bytes)
    {
        if (!isOpen() || m_lostRaised)
            throw Failure(
                FailureNumber::DeviceLost,
                QStringLiteral("%1 did not take the bytes: the device is gone.").arg(m_path));
        m_queued += bytes;
        if (!m_write.running)
            startWrite();
    }

    QByteArray take() { return std::exchange(m_received, {}); }

    void close()
    {
        if (!isOpen())
            return;
        m_read.notifier.setEnabled(false);
        m_write.notifier.setEnabled(false);
        // The system may still write into the records: end both operations
        // and wait for them before the handle and records go.
        CancelIoEx(m_handle, nullptr);
        for (Pending *pending : {&m_read, &m_write}) {
            DWORD count = 0;
            if (pending->running)
                pending->wait(m_handle, count);
        }
        CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        m_queued.clear();
    }

private:
    Failure openFailure(DWORD error, const QString &path, int portNumber) const
    {
        switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return noDevice(path, portNumber);
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            // Windows opens a comm port for one program at a time.
            return Failure(FailureNumber::PortAlreadyOpen,
                           QStringLiteral("%1 is in use by another program. Close that program "
                                          "and connect again.")
                               .arg(path));
        default:
            return Failure(
                FailureNumber::DeviceUnavailable,
                QStringLiteral("%1 could not be opened: %2.").arg(path, systemMessage(error)));
        }
    }

    // One byte is asked for, so the read ends as soon as anything arrives,
    // on Windows and under Wine alike; the rest is taken when it has.
    void startRead()
    {
        // One done at once has its event set as well, and is taken there.
        DWORD count = 0;
        if (!m_read.began(ReadFile(m_handle, m_buffer.data(), 1, &count, m_read.start())))
            lose();
    }

    void readEnded()
    {
        DWORD count = 0;
        const Pending::Ended ended = m_read.ended(m_handle, count);
        if (ended == Pending::Ended::Not)
            return;
        if (ended == Pending::Ended::Failed) {
            lose();
            return;
        }
        m_received.append(m_buffer.data(), qsizetype(count));
        if (!takeWaiting())
            return;
        startRead();
        if (!m_received.isEmpty())
            Q_EMIT m_owner.readyRead();
    }

    // Takes the bytes the driver holds; false when the device is gone.
    bool takeWaiting()
    {
        for (;;) {
            DWORD errors = 0;
            COMSTAT status{};
            if (!ClearCommError(m_handle, &errors, &status)) {
                lose();
                return false;
            }
            if (status.cbInQue == 0)
                return true;
            // The bytes are there: the read ends at once.
            DWORD count = 0;
            const bool done = m_read.began(ReadFile(m_handle, m_buffer.data(),
                                                    std::min(status.cbInQue, kReadChunk), &count,
                                                    m_read.start())) &&
                              m_read.wait(m_handle, count);
            if (!done) {
                lose();
                return false;
            }
            m_received.append(m_buffer.data(), qsizetype(count));
        }
    }

    void startWrite()
    {
        if (m_queued.isEmpty() || !isOpen())
            return;
        m_writing = std::exchange(m_queued, {});
        DWORD count = 0;
        if (!m_write.began(WriteFile(m_handle, m_writing.constData(), DWORD(m_writing.size()),
                                     &count, m_write.start())))
            lose();
    }

    void writeEnded()
    {
        DWORD count = 0;
        const Pending::Ended ended = m_write.ended(m_handle, count);
        if (ended == Pending::Ended::Not)
            return;
        if (ended == Pending::Ended::Failed) {
            lose();
            return;
        }
        // A write that timed out short: the rest goes first next time.
        if (qsizetype(count) < m_writing.size())
            m_queued.prepend(m_writing.sliced(qsizetype(count)));
        m_writing.clear();
        startWrite();
    }

    // Any failed read or write but a timeout: the device is gone (unplugged:
    // ERROR_OPERATION_ABORTED, ERROR_BAD_COMMAND, ERROR_ACCESS_DENIED).
    void lose()
    {
        if (m_lostRaised || !isOpen())
            return;
        m_lostRaised = true;
        Q_EMIT m_owner.lost();
    }

    LocalPort &m_owner;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    QString m_path;
    Pending m_read;
    Pending m_write;
    std::array<char, kReadChunk> m_buffer{};
    QByteArray m_received;
    QByteArray m_queued;
    QByteArray m_writing;
    bool m_lostRaised = false;
};

LocalPort::LocalPort(QObject *parent)
    : QObject(parent)
    , m_native(std::make_unique<Native>(*this))
{}

LocalPort::~LocalPort() = default;

void LocalPort::open(const QString &path, qint32 rate, int portNumber)
{
    m_native->open(path, rate, portNumber);
}

bool LocalPort::isOpen() const
{
    return m_native->isOpen();
}

bool LocalPort::setBaudRate(qint32 rate)
{
    return m_native->setRate(rate);
}

void LocalPort::write(const QByteArray &bytes)
{
    m_native->write(bytes);
}

QByteArray LocalPort::readAll()
{
    return m_native->take();
}

void LocalPort::close()
{
    m_native->close();
}
