// The serial port as the core sees it: opened by name, written a whole buffer at a time.
// Received bursts reach the owner through the callback the platform port is given.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace numora {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Writes the whole buffer; the count written, 0 on failure.
    virtual int Write(std::span<const uint8_t> bytes) = 0;
};

// Why the last open failed, as far as the platform can tell.
enum class OpenError { None, NoDevice, Denied, InUse, Failed };

class Port : public ByteSink {
public:
    // Opens "COMn" (or a device the platform maps to it) at the baud rate, 8N1, no XON/XOFF.
    virtual bool Open(const std::string& name, int baud) = 0;
    // Safe at any time, also on a port that is not open.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // The reason of the last failed Open; None after one that succeeded.
    virtual OpenError LastOpenError() const { return OpenError::None; }
    // The device a port name stands for, as the user knows it (a path on Linux); empty when
    // the name stands for none.
    virtual std::string DeviceName(const std::string& portName) const { return portName; }
};

}  // namespace numora
