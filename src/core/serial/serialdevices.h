// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class PortMap;
class QSerialPortInfo;

// The serial devices present, as a user would recognise them: the stable
// /dev/serial/by-id path where one exists, and what the device says it is.
class SerialDevices
{
public:
    struct Device
    {
        // The path to map a comm port to: the by-id link where one exists.
        QString path;
        // The device node itself (/dev/ttyUSB0).
        QString systemPath;
        QString description;
        QString manufacturer;
        QString serialNumber;
        // "0403:6001" for a USB device, else empty.
        QString vendorProduct;

        bool isUsb() const { return !vendorProduct.isEmpty(); }
        bool operator==(const Device &) const = default;
    };

    // A network port named rfc2217://HOST:PORT or tcp://HOST:PORT, as a
    // device; nothing when the name is not well formed.
    static std::optional<Device> networkDevice(const QString &name);

    // The file a path leads to, links followed, or the path itself when it
    // leads nowhere (yet): two names of one device give the same node.
    static QString node(const QString &path);

    // The folder of stable links to the devices, or empty where there is none.
    static QString byIdFolder();

    // Every device present: those the serial library finds, then the
    // devices that "Ports" entries name for comm ports first to last, then the
    // pseudo-terminals, each device once.
    static QList<Device> present(const PortMap &portMap, int first, int last);

    // What is behind a path (links followed), or nullopt when nothing is.
    static std::optional<Device> describe(const QString &path);

#ifndef Q_OS_WIN
    // The device as the serial library reports it, under its link in
    // linkFolder when one leads to it.
    static Device fromInfo(const QSerialPortInfo &info, const QString &linkFolder = byIdFolder());
#endif

    // The link in folder that leads to the device node, or empty.
    static QString linkTo(const QString &systemPath, const QString &folder = byIdFolder());

    // "FT232R USB UART, FTDI, serial A1B2C3, USB 0403:6001": the parts known.
    static QString summary(const Device &device);

    // The line under the lists: which device the comm port maps to and what
    // it is, or plainly that it does not exist.
    static QString portLine(int portNumber, const QString &path);

    // Names that change when serial devices come or go; cheap to read, so a
    // timer can compare them before listing the devices again.
    static QStringList signature();

private:
    // The serial ports the system lists, with what it knows of each.
    static QList<Device> systemPorts();
    // The pseudo-terminals present, numbered ones only (not the multiplexer).
    static QStringList pseudoTerminals();
    // Whether a device node is one of them.
    static bool isPseudoTerminal(const QString &node);
};
