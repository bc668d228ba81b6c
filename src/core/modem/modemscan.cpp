// SPDX-License-Identifier: GPL-3.0-or-later
#include "modemscan.h"

#include "memoryview.h"
#include "modemsession.h"
#include "network/networkport.h"
#include "serial/portmap.h"
#include "serial/serialdevices.h"
#include "system/failure.h"

#include <QScopeGuard>
#include <QScopedValueRollback>

namespace {
const QString kLikeliest[] = {QStringLiteral("38400"), QStringLiteral("9600"),
                              QStringLiteral("19200")};

// A failure that concerns the rate only; the device may take the next one.
bool isRateFailure(int number)
{
    return number == FailureNumber::InvalidPropertyValue ||
           number == FailureNumber::CommStateFailed;
}

QString listed(const QStringList &items)
{
    if (items.size() < 2)
        return items.join(QString());
    return items.first(items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" or ") +
           items.last();
}
} // namespace

ModemScan::ModemScan(ModemSession &session, PortMap &portMap, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_portMap(portMap)
{}

ModemScan::~ModemScan() = default;

QStringList ModemScan::rateOrder(const QStringList &rates, const QString &shown)
{
    QStringList order;
    const auto take = [&rates, &order](const QString &rate) {
        if (rates.contains(rate) && !order.contains(rate))
            order.append(rate);
    };
    take(shown.trimmed());
    for (const QString &rate : kLikeliest)
        take(rate);
    for (const QString &rate : rates)
        take(rate);
    return order;
}

QStringList ModemScan::devicesFor(const PortMap &portMap, int portNumber, bool everyUsbDevice)
{
    QStringList devices{portMap.device(portNumber)};
    if (!everyUsbDevice)
        return devices;
    QStringList nodes{SerialDevices::node(devices.first())};
    for (const SerialDevices::Device &device : SerialDevices::present(portMap, 1, 0)) {
        const QString node = SerialDevices::node(device.systemPath);
        if (!device.isUsb() || nodes.contains(node))
            continue;
        nodes.append(node);
        devices.append(device.path);
    }
    return devices;
}

ModemScan::Outcome ModemScan::run(const QStringList &devices, const QStringList &rates)
{
    Outcome outcome;
    if (m_running || m_session.refused()) {
        outcome.result = Outcome::Result::Refused;
        return outcome;
    }
    const QScopedValueRollback<bool> running(m_running, true);
    m_cancelled = false;
    if (m_session.portOpen())
        m_session.close();

    bool isNumber = false;
    const int portNumber = m_session.portSetting().trimmed().toInt(&isNumber);
    if (!isNumber) {
        outcome.tried.append(
            {m_session.portSetting(),
             {},
             QStringLiteral("\"%1\" is not a comm port number.").arg(m_session.portSetting())});
        return outcome;
    }
    const int attempts = static_cast<int>(devices.size() * rates.size());
    int attempt = 0;
    for (const QString &device : devices) {
        if (tryDevice(portNumber, device, rates, attempt, attempts, outcome))
            return outcome;
    }
    outcome.result = Outcome::Result::NothingAnswered;
    return outcome;
}

bool ModemScan::tryDevice(int portNumber, const QString &device, const QStringList &rates,
                          int &attempt, int attempts, Outcome &outcome)
{
    m_portMap.stand(portNumber, device);
    const auto release = qScopeGuard([this, portNumber] { m_portMap.release(portNumber); });
    outcome.tried.append({device, {}, {}});
    Tried &tried = outcome.tried.last();
    if (NetworkPort::hasFixedRate(device)) {
        tried.failure = QStringLiteral("a raw TCP port's baud rate is set at its server, so Find "
                                       "Modem cannot try rates there. Press Connect, or use "
                                       "rfc2217:// for the same server.");
        attempt += static_cast<int>(rates.size());
        return false;
    }
    // What a try shows goes nowhere; its view only supplies the rate tried.
    MemoryView scratch;
    const int deviceStart = attempt;
    for (const QString &rate : rates) {
        if (m_cancelled) {
            outcome.result = Outcome::Result::Cancelled;
            return true;
        }
        Q_EMIT trying(device, rate, ++attempt, attempts);
        scratch.setBaudRateText(rate);
        std::optional<qint64> characters;
        try {
            characters = m_session.probe(scratch);
        } catch (const Failure &failure) {
            if (isRateFailure(failure.number()))
                continue;
            tried.failure = failure.description();
            // The device's other rates are not tried.
            attempt = deviceStart + static_cast<int>(rates.size());
            return false;
        }
        if (!characters) {
            outcome.result = Outcome::Result::Refused;
            return true;
        }
        tried.rates.append(rate);
        if (*characters >= kAnswerLength) {
            outcome.result = Outcome::Result::Found;
            outcome.device = device;
            outcome.rate = rate;
            outcome.characters = *characters;
            return true;
        }
    }
    return false;
}

QStringList ModemScan::triedLines(const Outcome &outcome)
{
    QStringList lines;
    for (const Tried &tried : outcome.tried) {
        if (!tried.failure.isEmpty())
            lines.append(tried.device + QStringLiteral(": ") + tried.failure);
        else if (!tried.rates.isEmpty())
            lines.append(QStringLiteral("No modem answered on %1 at %2 baud.")
                             .arg(tried.device, listed(tried.rates)));
    }
    return lines;
}

QString ModemScan::describe(const Outcome &outcome)
{
    switch (outcome.result) {
    case Outcome::Result::Found:
        return QStringLiteral("The modem answered on %1 at %2 baud.")
            .arg(outcome.device, outcome.rate);
    case Outcome::Result::Refused:
        return QStringLiteral("The modem is busy with another request. Try again when it ends.");
    case Outcome::Result::Cancelled:
    case Outcome::Result::NothingAnswered:
        break;
    }
    QStringList sentences;
    if (outcome.result == Outcome::Result::Cancelled)
        sentences.append(QStringLiteral("Find Modem was cancelled."));
    sentences += triedLines(outcome);
    if (outcome.result == Outcome::Result::NothingAnswered)
        sentences.append(QStringLiteral("Check that the modem is powered and connected, or "
                                        "choose its device below."));
    return sentences.join(QLatin1Char('\n'));
}
