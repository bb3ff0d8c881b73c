#include "link/PhoneLink.h"

#include <algorithm>
#include <tuple>

#include "book/Records.h"
#include "link/FrameCodec.h"
#include "text/ParseNumbers.h"

namespace numora {

namespace {

constexpr std::size_t kModeSize = 3;
constexpr std::size_t kPasswordSize = 1 + std::tuple_size_v<Password>;

// A caller's buffer shorter than the request's fixed length is not sent at all.
bool FitsPacket(std::span<const uint8_t> buffer, std::size_t size) {
    return buffer.size() >= size;
}

}  // namespace

Password DefaultPassword() {
    // The model number's digits, then the same digits mirrored.
    constexpr int kModelNumber = 5507;
    constexpr std::size_t kHalf = 4;
    Password p{};
    int rest = kModelNumber;
    for (std::size_t k = kHalf; k-- > 0;) {
        p[k] = static_cast<uint8_t>('0' + rest % 10);
        rest /= 10;
    }
    std::copy(p.begin(), p.begin() + kHalf, p.rbegin());
    return p;
}

PhoneLink::PhoneLink(ByteSink& port, LinkPacer& pacer)
    : m_port(port), m_pacer(pacer), m_password(DefaultPassword()) {}

int RequestPauseMs(std::span<const uint8_t> request) {
    switch (ByteAt(request, 0)) {
        case cmd::kEntryWrite:
            return kEntryWritePauseMs;
        case cmd::kEntryRead:
            return kEntryRequestPauseMs;
        default:
            return 0;
    }
}

int FastReplyTimeoutMs(std::span<const uint8_t> request) {
    constexpr int kBytesPerSecond = 11520;  // 115200 baud, ten bits a byte
    constexpr int kTimesTheWire = 3;
    constexpr int kMarginMs = 150;  // the driver's and the handset's turnaround
    std::size_t reply = 3;
    switch (ByteAt(request, 0)) {
        case cmd::kNvRead:
        case cmd::kNvWrite:
            reply = item::kSize;
            break;
        case cmd::kGroupRead:
        case cmd::kGroupWrite:
        case cmd::kEntryRead:
        case cmd::kEntryWrite:
            reply = entryrec::kSize;
            break;
        case cmd::kMaskRead:
        case cmd::kMaskWrite:
            reply = maskrec::kSize;
            break;
        default:
            break;
    }
    const std::size_t bytes = request.size() + reply + 6;  // check sequences and flags
    return static_cast<int>(bytes * 1000 * kTimesTheWire / kBytesPerSecond) + kMarginMs;
}

bool AnswersRequest(std::span<const uint8_t> request, std::span<const uint8_t> reply) {
    if (request.empty() || reply.empty() || reply[0] != request[0]) return false;
    const auto same = [&](std::size_t from, std::size_t count) {
        for (std::size_t k = from; k < from + count; ++k) {
            if (k >= reply.size() || ByteAt(request, k) != reply[k]) return false;
        }
        return true;
    };
    switch (request[0]) {
        case cmd::kNvRead:
            return reply.size() >= item::kSize && same(item::kItem, 3);
        case cmd::kNvWrite:
            return same(item::kItem, 3);
        case cmd::kModeControl:
            return same(1, 1);
        case cmd::kStatus:
            return reply.size() >= 2;
        case cmd::kPassword:
            // A line that echoes what it is sent is no handset: the request coming back is
            // not its answer.
            return reply.size() >= 2 &&
                   !std::equal(request.begin(), request.end(), reply.begin(), reply.end());
        case cmd::kGroupRead:
            return reply.size() >= grouprec::kWireSize && same(grouprec::kSlot, 1);
        case cmd::kGroupWrite:
            return same(grouprec::kSlot, 1);
        case cmd::kEntryRead:
            return reply.size() >= entryrec::kSize && same(entryrec::kSlot, 2);
        case cmd::kEntryWrite:
            return same(entryrec::kSlot, 2);
        case cmd::kMaskRead:
            return reply.size() >= maskrec::kSize;
        default:
            return true;
    }
}

bool RefusesRequest(std::span<const uint8_t> request, std::span<const uint8_t> reply) {
    if (reply.empty() || (reply[0] != cmd::kRefused18 && reply[0] != cmd::kRefused1F)) return false;
    return reply.size() == 1 || reply[1] == ByteAt(request, 0);
}

bool PhoneLink::SendFrame(std::span<const uint8_t> packet) {
    if (m_trace != nullptr) m_trace->Trace(TraceDir::Out, packet);
    m_lastRequest.assign(packet.begin(), packet.end());
    ++m_requestCount;
    const std::vector<uint8_t> frame = EncodeFrame(packet);
    return m_port.Write(frame) > 0;
}

bool PhoneLink::RequestItem(int item, uint8_t element) {
    std::array<uint8_t, item::kSize> p{};
    p[item::kCode] = cmd::kNvRead;
    PutLe16(p, item::kItem, static_cast<uint16_t>(item & 0xFFFF));
    p[item::kElement] = element;
    return SendFrame(p);
}

bool PhoneLink::WriteItem(int item, std::span<uint8_t> packet) {
    if (!FitsPacket(packet, item::kSize)) return false;
    packet[item::kCode] = cmd::kNvWrite;
    PutLe16(packet, item::kItem, static_cast<uint16_t>(item & 0xFFFF));
    return SendFrame(packet.first(item::kSize));
}

bool PhoneLink::WriteSpeedDials(std::span<uint8_t> packet) {
    return WriteItem(kItemSpeedDials, packet);
}

bool PhoneLink::SwitchMode(uint8_t mode) {
    const std::array<uint8_t, kModeSize> p{cmd::kModeControl, mode, 0};
    return SendFrame(p);
}

bool PhoneLink::RequestStatus() {
    const std::array<uint8_t, 1> p{cmd::kStatus};
    return SendFrame(p);
}

bool PhoneLink::EndSession() {
    const std::array<uint8_t, 1> p{cmd::kEnd};
    return SendFrame(p);
}

bool PhoneLink::SendPassword() {
    std::array<uint8_t, kPasswordSize> p{};
    p[0] = cmd::kPassword;
    std::copy(m_password.begin(), m_password.end(), p.begin() + 1);
    return SendFrame(p);
}

bool PhoneLink::WriteGroup(std::span<uint8_t> packet) {
    if (!FitsPacket(packet, grouprec::kWireSize)) return false;
    packet[0] = cmd::kGroupWrite;
    return SendFrame(packet.first(grouprec::kWireSize));
}

bool PhoneLink::RequestGroup(uint8_t slot) {
    std::array<uint8_t, grouprec::kWireSize> p{};
    p[0] = cmd::kGroupRead;
    p[grouprec::kSlot] = slot;
    return SendFrame(p);
}

bool PhoneLink::WriteEntry(std::span<uint8_t> packet) {
    if (!FitsPacket(packet, entryrec::kSize)) return false;
    packet[0] = cmd::kEntryWrite;
    const bool result = SendFrame(packet.first(entryrec::kSize));
    m_pacer.Pause(PauseAfter(packet));
    return result;
}

bool PhoneLink::RequestEntry(uint16_t slot) {
    std::array<uint8_t, entryrec::kSize> p{};
    p[0] = cmd::kEntryRead;
    PutLe16(p, entryrec::kSlot, slot);
    const bool result = SendFrame(p);
    m_pacer.Pause(PauseAfter(p));
    return result;
}

bool PhoneLink::WriteFieldMasks(std::span<const uint8_t> masks) {
    constexpr std::size_t kMaskBytes = maskrec::kSize - maskrec::kMask;
    if (!FitsPacket(masks, kMaskBytes)) return false;
    std::array<uint8_t, maskrec::kSize> p{};
    p[0] = cmd::kMaskWrite;
    std::copy_n(masks.begin(), kMaskBytes, p.begin() + maskrec::kMask);
    return SendFrame(p);
}

bool PhoneLink::Resend(std::span<const uint8_t> packet) {
    const std::vector<uint8_t> copy(packet.begin(), packet.end());
    const bool result = SendFrame(copy);
    m_pacer.Pause(PauseAfter(copy));
    return result;
}

bool PhoneLink::RequestFieldMasks() {
    std::array<uint8_t, maskrec::kSize> p{};
    p[0] = cmd::kMaskRead;
    return SendFrame(p);
}

Password PasswordFromProfile(const Profile& profile) {
    const std::string hex = profile.GetString(kPortSection, "Password", "");
    Password password = DefaultPassword();
    ParseHexBytes(hex, password);
    return password;
}

}  // namespace numora
