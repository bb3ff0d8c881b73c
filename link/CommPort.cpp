#include "link/CommPort.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "link/FrameCodec.h"

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <windows.h>
#endif

namespace numora {

namespace {

QString SameName(const std::string& name) {
    return QString::fromStdString(name);
}

// Whether the driver keeps RTS/CTS flow control on for the device. The port opens with every
// line setting the driver reports except XON/XOFF, which is always off; Qt applies all of its
// settings at open, so this one is read from the device first.
#if defined(Q_OS_UNIX)
// The file a device name stands for: the serial port takes a bare name from /dev.
QByteArray DevicePath(const QString& device) {
    return QFile::encodeName(device.contains(QLatin1Char('/')) ? device
                                                               : QStringLiteral("/dev/") + device);
}
#endif

bool DriverUsesHardwareFlow(const QString& device) {
#if defined(Q_OS_UNIX)
    const int fd = ::open(DevicePath(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    termios tio{};
    const bool on = tcgetattr(fd, &tio) == 0 && (tio.c_cflag & CRTSCTS) != 0;
    ::close(fd);
    return on;
#elif defined(Q_OS_WIN)
    const std::wstring path = L"\\\\.\\" + device.toStdWString();
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    const bool on = GetCommState(h, &dcb) && dcb.fOutxCtsFlow;
    CloseHandle(h);
    return on;
#else
    (void)device;
    return false;
#endif
}

bool HasFlag(const QByteArray& data) {
    return data.contains(static_cast<char>(kFrameFlag));
}

// The serial port reports a device it may not open and one another program holds alike; the
// two need different advice, so the device's access rights are asked directly.
OpenError OpenErrorOf(QSerialPort::SerialPortError error, const QString& device) {
    switch (error) {
        case QSerialPort::NoError:
            return OpenError::None;
        case QSerialPort::DeviceNotFoundError:
            return OpenError::NoDevice;
        case QSerialPort::PermissionError:
#if defined(Q_OS_UNIX)
            if (::access(DevicePath(device).constData(), R_OK | W_OK) != 0 && errno == EACCES) {
                return OpenError::Denied;
            }
#else
            (void)device;
#endif
            return OpenError::InUse;
        default:
            return OpenError::Failed;
    }
}

}  // namespace

CommPort::CommPort(Resolver resolver, QObject* parent)
    : QObject(parent), m_resolve(resolver ? std::move(resolver) : Resolver(SameName)) {
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(kQuietMs);
    connect(&m_quiet, &QTimer::timeout, this, [this] { Deliver(true); });
    connect(&m_port, &QSerialPort::readyRead, this, &CommPort::OnReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &CommPort::OnError);
}

CommPort::~CommPort() {
    Close();
    disconnect(&m_port, nullptr, this, nullptr);
}

bool CommPort::Open(const std::string& name, int baud) {
    Close();
    const QString device = m_resolve(name);
    m_lastError = OpenError::NoDevice;
    if (!device.isEmpty()) {
        m_port.setPortName(device);
        m_port.setFlowControl(DriverUsesHardwareFlow(device) ? QSerialPort::HardwareControl
                                                             : QSerialPort::NoFlowControl);
        if (m_port.open(QIODevice::ReadWrite)) {
            if (m_port.setBaudRate(baud) && m_port.setDataBits(QSerialPort::Data8) &&
                m_port.setParity(QSerialPort::NoParity) &&
                m_port.setStopBits(QSerialPort::OneStop)) {
                // Whatever an earlier run left in either direction is thrown away.
                m_port.clear(QSerialPort::AllDirections);
                ++m_generation;
                m_lastError = OpenError::None;
                return true;
            }
            m_lastError = OpenError::Failed;
            m_port.close();
        } else {
            m_lastError = OpenErrorOf(m_port.error(), device);
        }
    }
    if (m_onOpenFailed) m_onOpenFailed();
    return false;
}

std::string CommPort::DeviceName(const std::string& portName) const {
    return m_resolve(portName).toStdString();
}

void CommPort::Close() {
    ++m_generation;
    m_quiet.stop();
    m_block.clear();
    m_fullPending = false;
    if (m_port.isOpen()) {
        m_port.clear(QSerialPort::AllDirections);
        m_port.close();
    }
}

int CommPort::Write(std::span<const uint8_t> bytes) {
    if (!m_port.isOpen() || bytes.empty()) return 0;
    const auto size = static_cast<qint64>(bytes.size());
    // Qt hands the bytes to the driver from the event loop, as fast as the driver takes them:
    // nothing waits here, and nothing gives up on a slow line.
    if (m_port.write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
        m_port.clear(QSerialPort::Output);
        return 0;
    }
    return static_cast<int>(size);
}

void CommPort::OnReadyRead() {
    const QByteArray data = m_port.readAll();
    if (data.isEmpty()) return;
    const auto room = static_cast<qsizetype>(kMaxGathered - std::min(kMaxGathered, m_block.size()));
    m_block.insert(m_block.end(), data.begin(), data.begin() + std::min(room, data.size()));
    m_quiet.start();
    // A full block, or a frame's closing flag, goes on at once, without waiting for quiet.
    if ((m_block.size() >= kBlockSize || HasFlag(data)) && !m_fullPending) {
        m_fullPending = true;
        QMetaObject::invokeMethod(
            this,
            [this, generation = m_generation] {
                if (generation != m_generation) return;
                m_fullPending = false;
                Deliver(false);
            },
            Qt::QueuedConnection);
    }
}

void CommPort::OnError(QSerialPort::SerialPortError error) {
    // A vanished device shows as a resource error, or, on a terminal whose other side went
    // away, as a read error raised again at every poll: either way the line is gone.
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError) return;
    if (m_lossPending || !m_port.isOpen()) return;
    m_lossPending = true;
    // Closed from the event loop: the error may be raised from inside the serial port's own
    // read or write, which must not see its port vanish under it.
    QMetaObject::invokeMethod(
        this,
        [this, generation = m_generation] {
            m_lossPending = false;
            if (generation != m_generation || !m_port.isOpen()) return;
            Close();
            if (m_onLost) m_onLost();
        },
        Qt::QueuedConnection);
}

void CommPort::Deliver(bool quiet) {
    if (m_delivering) {
        // A receiver that runs an event loop of its own gets the next block after it returns.
        m_quiet.start();
        return;
    }
    const unsigned generation = m_generation;
    while (generation == m_generation && !m_block.empty()) {
        std::size_t take = 0;
        if (m_block.size() >= kBlockSize) {
            take = kBlockSize;
        } else if (quiet) {
            take = m_block.size();
        } else {
            const auto flag = std::find(m_block.rbegin(), m_block.rend(), kFrameFlag);
            take = static_cast<std::size_t>(m_block.rend() - flag);
        }
        if (take == 0) break;
        std::vector<uint8_t> block(m_block.begin(), m_block.begin() + static_cast<long>(take));
        m_block.erase(m_block.begin(), m_block.begin() + static_cast<long>(take));
        if (m_block.empty()) m_quiet.stop();  // otherwise the rest keeps gathering
        m_delivering = true;
        if (m_onBlock) m_onBlock(block);
        m_delivering = false;
    }
}

}  // namespace numora
