// The serial port on the user-interface thread, event driven on Qt's serial port. There is no
// reader thread: received bytes are gathered into a block while they keep coming at least every
// 50 ms (a quiet timer restarted by every arrival), at most 4096 bytes a block, and each block
// goes to the receiver raw, still escaped. A burst longer than 4096 bytes comes as a full block
// at once followed by the rest. Bytes up to a frame's closing flag (0x7E) go on as soon as the
// flag arrives; AT text, which has no flags, waits for the quiet. What the receiver has not
// taken yet is bounded: a port that talks faster than it is read loses the excess.
//
// Port names. Callers open "COMn". The resolver given at construction turns that name into the
// device to open: on Windows the COM port itself (the identity, the default); elsewhere whatever
// device the resolver maps COMn to (a serial device, or the handset simulator's terminal). A
// name the resolver leaves empty fails to open.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "link/Port.h"

namespace numora {

class CommPort : public QObject, public Port {
    Q_OBJECT

public:
    using Resolver = std::function<QString(const std::string&)>;
    using BlockFn = std::function<void(std::span<uint8_t>)>;
    using HookFn = std::function<void()>;

    static constexpr int kBlockSize = 4096;
    static constexpr int kQuietMs = 50;
    // The most held for the receiver at a time; far more than any burst of the handset's.
    static constexpr std::size_t kMaxGathered = 16 * std::size_t{kBlockSize};

    explicit CommPort(Resolver resolver = {}, QObject* parent = nullptr);
    ~CommPort() override;

    // Opens read/write at the baud rate, 8N1, XON/XOFF off and RTS/CTS as the driver has it,
    // and clears both directions
    // (nothing left over from an earlier run is delivered). An open port is closed first.
    // On failure the port stays closed and onOpenFailed is called (the window beeps).
    bool Open(const std::string& name, int baud) override;
    // Stops gathering and drops a half-gathered block. Safe at any time, also from inside the
    // block callback.
    void Close() override;
    bool IsOpen() const override { return m_port.isOpen(); }
    // Queues the whole buffer for the driver, which takes it from the event loop without a
    // time-out; the count queued, or 0.
    int Write(std::span<const uint8_t> bytes) override;
    OpenError LastOpenError() const override { return m_lastError; }
    std::string DeviceName(const std::string& portName) const override;

    void SetOnBlock(BlockFn fn) { m_onBlock = std::move(fn); }
    void SetOnOpenFailed(HookFn fn) { m_onOpenFailed = std::move(fn); }
    // Called after the port closed itself because the device went away (unplugged, or the
    // other side of a terminal closed).
    void SetOnLost(HookFn fn) { m_onLost = std::move(fn); }

    // The quiet time that ends a block; kQuietMs unless a test stretches it.
    void SetQuietMs(int ms) { m_quiet.setInterval(ms); }
    // Bytes gathered into the block not yet delivered.
    std::size_t GatheredBytes() const { return m_block.size(); }

private:
    void OnReadyRead();
    void OnError(QSerialPort::SerialPortError error);
    // Hands full blocks and bytes up to the last flag to the receiver and, once the line has
    // gone quiet, the rest.
    void Deliver(bool quiet);

    Resolver m_resolve;
    QSerialPort m_port;
    QTimer m_quiet;
    std::vector<uint8_t> m_block;
    BlockFn m_onBlock;
    HookFn m_onOpenFailed;
    HookFn m_onLost;
    // Changes at every open and close, so a delivery loop notices that its receiver closed
    // or reopened the port.
    unsigned m_generation = 0;
    bool m_delivering = false;
    bool m_fullPending = false;
    bool m_lossPending = false;
    OpenError m_lastError = OpenError::None;
};

}  // namespace numora
