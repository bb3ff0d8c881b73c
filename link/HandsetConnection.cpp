#include "link/HandsetConnection.h"

#include <QStringList>
#include <algorithm>

namespace numora {

HandsetConnection::HandsetConnection(const QString& profilePath, const QString& device,
                                     bool deviceToCome)
    : m_userProfile(profilePath.isEmpty() ? std::make_unique<QtProfile>()
                                          : std::make_unique<QtProfile>(profilePath)),
      m_runProfile(*m_userProfile),
      m_deviceNamed(!device.isEmpty() || deviceToCome),
      m_port([this](const std::string& comName) { return m_map.DeviceFor(comName); }) {
    if (!device.isEmpty()) {
        m_map = PortMap::Pinned(device);
    } else if (!deviceToCome) {
        m_map = PortMap::FromSystem();
    }
}

Profile& HandsetConnection::SessionProfile() {
    if (m_deviceNamed) return m_runProfile;
    return *m_userProfile;
}

PortTable HandsetConnection::DiscoverPorts() const {
    const QStringList extraIds =
        QString::fromStdString(m_userProfile->GetString(kPortSection, "Handset USB IDs", ""))
            .split(QLatin1Char(','), Qt::SkipEmptyParts);
    return m_map.DiscoverHandsetPorts(extraIds);
}

int HandsetConnection::SearchTimeoutMs(int leastMs) const {
    return std::max(leastMs, m_map.SweepMs());
}

void HandsetConnection::DeliverTo(CommPort::BlockFn onBlock, CommPort::HookFn onLost) {
    m_port.SetOnBlock(std::move(onBlock));
    m_port.SetOnLost(std::move(onLost));
}

void HandsetConnection::Release() {
    DeliverTo({}, {});
    m_port.Close();
}

}  // namespace numora
