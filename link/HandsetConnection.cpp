#include "link/HandsetConnection.h"

#include <QStringList>
#include <algorithm>

namespace numora {

CHandsetConnection::CHandsetConnection(const QString& profilePath, const QString& device,
                                       bool deviceToCome)
    : m_userProfile(profilePath.isEmpty() ? std::make_unique<CQtProfile>()
                                          : std::make_unique<CQtProfile>(profilePath)),
      m_runProfile(*m_userProfile),
      m_deviceNamed(!device.isEmpty() || deviceToCome),
      m_port([this](const std::string& comName) { return m_map.DeviceFor(comName); }) {
    if (!device.isEmpty()) {
        m_map = CPortMap::Pinned(device);
    } else if (!deviceToCome) {
        m_map = CPortMap::FromSystem();
    }
}

IProfile& CHandsetConnection::SessionProfile() {
    if (m_deviceNamed) return m_runProfile;
    return *m_userProfile;
}

PortTable CHandsetConnection::DiscoverPorts() const {
    const QStringList extraIds =
        QString::fromStdString(m_userProfile->GetString(kPortSection, "Handset USB IDs", ""))
            .split(QLatin1Char(','), Qt::SkipEmptyParts);
    return m_map.DiscoverHandsetPorts(extraIds);
}

int CHandsetConnection::SearchTimeoutMs(int leastMs) const {
    return std::max(leastMs, m_map.SweepMs());
}

void CHandsetConnection::DeliverTo(CCommPort::BlockFn onBlock, CCommPort::HookFn onLost) {
    m_port.SetOnBlock(std::move(onBlock));
    m_port.SetOnLost(std::move(onLost));
}

void CHandsetConnection::Release() {
    DeliverTo({}, {});
    m_port.Close();
}

}  // namespace numora
