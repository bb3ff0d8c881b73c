#include "link/PortMap.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QSerialPort>
#include <algorithm>

#ifdef Q_OS_WIN
#include "link/HandsetPorts.h"
#endif

namespace numora {

namespace {

int ComNumber(const std::string& comName) {
    if (comName.size() <= 3 || comName.compare(0, 3, "COM") != 0) return -1;
    int n = 0;
    for (std::size_t i = 3; i < comName.size(); ++i) {
        const char c = comName[i];
        if (c < '0' || c > '9' || n > 100000) return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

// A path names a file from the current folder, as anywhere on the command line; the serial port
// would take a relative path from /dev. A bare name is a device of the system's (ttyUSB0, COM3)
// unless the current folder holds a file of that name.
QString PinnedDevicePath(const QString& device) {
    const bool path = device.contains(QLatin1Char('/')) || QFileInfo::exists(device);
    if (!path || QDir::isAbsolutePath(device)) return device;
    return QDir::current().absoluteFilePath(device);
}

}  // namespace

PortMap PortMap::FromSystem() {
    PortMap map;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        map.m_devices.push_back(info.systemLocation());
    }
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(map.m_devices.begin(), map.m_devices.end(),
              [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    return map;
}

PortMap PortMap::Pinned(const QString& device) {
    PortMap map;
    map.m_pinned = PinnedDevicePath(device);
    map.m_devices = {map.m_pinned};
    return map;
}

int PortMap::SweepMs() const {
    if (IsPinned()) return kFirstCommandPauseMs + kProbeIntervalMs;
    return FullSweepMs(static_cast<int>(m_devices.size()));
}

QString PortMap::DeviceFor(const std::string& comName) const {
    const int n = ComNumber(comName);
    if (n < 0) return QString::fromStdString(comName);  // already a device name
    if (IsPinned()) return m_pinned;
#ifdef Q_OS_WIN
    return QString::fromStdString(comName);
#else
    if (n < 1 || n > m_devices.size()) return {};
    return m_devices[n - 1];
#endif
}

bool PortMap::IsHandsetModem(const QSerialPortInfo& info, const QStringList& extraIds) {
    if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
        const QString id = QStringLiteral("%1:%2")
                               .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                               .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
        if (extraIds.contains(id, Qt::CaseInsensitive)) return true;
    }
    const QString text = info.description() + ' ' + info.manufacturer();
    return text.contains(QLatin1String("KXT-5507"), Qt::CaseInsensitive) ||
           text.contains(QLatin1String("KXT5507"), Qt::CaseInsensitive);
}

PortTable PortMap::DiscoverHandsetPorts(const QStringList& extraIds) const {
    PortTable table{};
    if (IsPinned()) {
        table[1] = true;
        return table;
    }
#ifdef Q_OS_WIN
    // The driver's own device interface first; ports described as the handset's add to it.
    table = DiscoverRegisteredHandsetPorts();
#endif
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (!IsHandsetModem(info, extraIds)) continue;
#ifdef Q_OS_WIN
        const int n = ComNumber(info.portName().toStdString());
#else
        const int n = static_cast<int>(m_devices.indexOf(info.systemLocation())) + 1;
#endif
        if (n < 0 || n >= kMaxPortTable) continue;
        QSerialPort probe(info);
        if (probe.open(QIODevice::ReadWrite)) {
            probe.close();
            table[static_cast<std::size_t>(n)] = true;
        }
    }
    return table;
}

}  // namespace numora
