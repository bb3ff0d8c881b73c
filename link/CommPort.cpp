#include "link/CommPort.h"

#include <QByteArray>
#include <QDeadlineTimer>

#include <algorithm>
#include <utility>

namespace numora {

namespace {

QString SameName(const std::string& name) {
    return QString::fromStdString(name);
}

}  // namespace

CCommPort::CCommPort(Resolver resolver, QObject* parent)
    : QObject(parent), m_resolve(resolver ? std::move(resolver) : Resolver(SameName)) {
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(kQuietMs);
    connect(&m_quiet, &QTimer::timeout, this, [this] { Deliver(true); });
    connect(&m_port, &QSerialPort::readyRead, this, &CCommPort::OnReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &CCommPort::OnError);
}

CCommPort::~CCommPort() {
    Close();
    disconnect(&m_port, nullptr, this, nullptr);
}

bool CCommPort::Open(const std::string& name, int baud) {
    Close();
    const QString device = m_resolve(name);
    if (!device.isEmpty()) {
        m_port.setPortName(device);
        if (m_port.open(QIODevice::ReadWrite)) {
            if (m_port.setBaudRate(baud) && m_port.setDataBits(QSerialPort::Data8) &&
                m_port.setParity(QSerialPort::NoParity) &&
                m_port.setStopBits(QSerialPort::OneStop) &&
                m_port.setFlowControl(QSerialPort::NoFlowControl)) {
                // Whatever an earlier run left in either direction is thrown away.
                m_port.clear(QSerialPort::AllDirections);
                ++m_generation;
                return true;
            }
            m_port.close();
        }
    }
    if (m_onOpenFailed) m_onOpenFailed();
    return false;
}

void CCommPort::Close() {
    ++m_generation;
    m_quiet.stop();
    m_block.clear();
    m_fullPending = false;
    if (m_port.isOpen()) {
        m_port.clear(QSerialPort::AllDirections);
        m_port.close();
    }
}

int CCommPort::Write(std::span<const uint8_t> bytes) {
    if (!m_port.isOpen() || bytes.empty()) return 0;
    const auto size = static_cast<qint64>(bytes.size());
    const unsigned generation = m_generation;
    if (m_port.write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
        m_port.clear(QSerialPort::Output);
        return 0;
    }
    // Received bytes that come in meanwhile are only gathered here; blocks are delivered from
    // the event loop, so no receiver runs inside this wait.
    const QDeadlineTimer deadline(kWriteTimeoutMs);
    while (generation == m_generation && m_port.isOpen() && m_port.bytesToWrite() > 0) {
        if (!m_port.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) break;
    }
    if (generation != m_generation || !m_port.isOpen()) return 0;
    if (m_port.bytesToWrite() > 0) {
        m_port.clear(QSerialPort::Output);
        return 0;
    }
    return static_cast<int>(size);
}

void CCommPort::OnReadyRead() {
    const QByteArray data = m_port.readAll();
    if (data.isEmpty()) return;
    m_block.insert(m_block.end(), data.begin(), data.end());
    m_quiet.start();
    if (m_block.size() >= kBlockSize && !m_fullPending) {
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

void CCommPort::OnError(QSerialPort::SerialPortError error) {
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

void CCommPort::Deliver(bool quiet) {
    if (m_delivering) {
        // A receiver that runs an event loop of its own gets the next block after it returns.
        m_quiet.start();
        return;
    }
    const unsigned generation = m_generation;
    while (generation == m_generation &&
           (m_block.size() >= kBlockSize || (quiet && !m_block.empty()))) {
        std::vector<uint8_t> block;
        if (m_block.size() >= kBlockSize) {
            block.assign(m_block.begin(), m_block.begin() + kBlockSize);
            m_block.erase(m_block.begin(), m_block.begin() + kBlockSize);
        } else {
            block.swap(m_block);
        }
        if (m_block.empty()) m_quiet.stop();  // otherwise the rest keeps gathering
        m_delivering = true;
        if (m_onBlock) m_onBlock(block);
        m_delivering = false;
    }
}

}  // namespace numora
