// The way from the desktop to the handset, set up alike for the window and the command-line
// tool: the profile, the map from port numbers to devices, and the serial port that opens
// through the map. A device named for the run (--port, or the simulator's terminal) pins the
// map; the remembered port in the profile then stays as it was, since the port numbers the
// search walks mean nothing outside this run.
#pragma once

#include <QString>
#include <memory>

#include "link/CommPort.h"
#include "link/PortMap.h"
#include "link/QtProfile.h"

namespace numora {

class HandsetConnection {
public:
    // profilePath: an INI file for tests and tools, or empty for the user's profile. device: the
    // device named for the run, or empty for the serial ports present now. deviceToCome: the
    // device will be named later (PinTo), and until then no port opens.
    HandsetConnection(const QString& profilePath, const QString& device, bool deviceToCome = false);
    HandsetConnection(const HandsetConnection&) = delete;
    HandsetConnection& operator=(const HandsetConnection&) = delete;

    // Every port number means this device from now on.
    void PinTo(const QString& device) { m_map = PortMap::Pinned(device); }

    QtProfile& UserProfile() { return *m_userProfile; }
    // The profile the sessions get: the user's, but with the remembered port left alone while a
    // device is named for the run.
    Profile& SessionProfile();
    CommPort& SerialPort() { return m_port; }

    // The handset modems present now, with the USB identities the profile adds
    // ("Port Setting"/"Handset USB IDs").
    PortTable DiscoverPorts() const;
    // The search's time-out: at least least, and at least one sweep of the ports it will try.
    int SearchTimeoutMs(int leastMs) const;

    // The port's bursts and its loss go to these until Release.
    void DeliverTo(CommPort::BlockFn onBlock, CommPort::HookFn onLost);
    // The same, to a receiver with OnReceivedBlock and OnPortLost (a session).
    template <class Receiver>
    void DeliverTo(Receiver& receiver) {
        DeliverTo([&receiver](std::span<uint8_t> block) { receiver.OnReceivedBlock(block); },
                  [&receiver] { receiver.OnPortLost(); });
    }
    // Stops the deliveries and closes the port.
    void Release();

private:
    std::unique_ptr<QtProfile> m_userProfile;
    ProfileWithoutPortSave m_runProfile;
    bool m_deviceNamed;
    PortMap m_map;
    CommPort m_port;
};

}  // namespace numora
