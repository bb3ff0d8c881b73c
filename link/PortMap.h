// What "COMn" means on this machine. The port search walks port numbers; the map turns a
// number into the device to open.
//
// - On Windows, COMn is the COM port itself.
// - Elsewhere, the serial ports the system enumerates are numbered in the order of their
//   names, from COM1: on a Linux machine with /dev/ttyACM0, /dev/ttyS0 and /dev/ttyUSB0 these
//   are COM1, COM2 and COM3. Numbers without a device do not open, as a missing COM port
//   would not.
// - A device named by the user (--port, or a simulator's pseudo-terminal, which the system
//   does not enumerate) pins the map: every number means that device, so the search keeps
//   trying it at the usual pace instead of wandering off to ports that are not there.
//
// A handset modem is recognised by its USB identity or its description: see IsHandsetModem.
#pragma once

#include <QSerialPortInfo>
#include <QString>
#include <QStringList>
#include <string>

#include "link/PortSearch.h"

namespace numora {

class PortMap {
public:
    // The serial ports present now.
    static PortMap FromSystem();
    // One device for every port number.
    static PortMap Pinned(const QString& device);

    // The device to open for "COMn"; empty when the number names none.
    QString DeviceFor(const std::string& comName) const;
    bool IsPinned() const { return !m_pinned.isEmpty(); }
    // How long the search takes to try every port it will try once: for a pinned map the one
    // device, otherwise COM1 to COM50 with the devices present now.
    int SweepMs() const;

    // The port numbers of handset modems present now that can be opened (the test open
    // closes them at once). A pinned map marks COM1.
    PortTable DiscoverHandsetPorts(const QStringList& extraIds = {}) const;

    // A port belongs to a handset modem when its description or maker names the handset
    // ("KXT-5507"), or when its USB identity is listed in extraIds as "vvvv:pppp" in hex (the
    // profile's "Port Setting"/"Handset USB IDs", comma-separated).
    static bool IsHandsetModem(const QSerialPortInfo& info, const QStringList& extraIds = {});

private:
    QStringList m_devices;  // index n - 1 is COMn
    QString m_pinned;
};

}  // namespace numora
