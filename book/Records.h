// Fixed record layouts shared by the handset's packets and the phone-book file. Each layout is
// defined once here; the take and make directions both use these offsets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace numora {

// Item packets (0x26 read reply, 0x27 write): code, item number, element index, data.
namespace item {
constexpr std::size_t kSize = 133;
constexpr std::size_t kCode = 0;
constexpr std::size_t kItem = 1;  // 2 bytes
constexpr std::size_t kElement = 3;
constexpr std::size_t kData = 4;
}  // namespace item

constexpr uint16_t kItemSpeedDials = 0x0413;
constexpr uint16_t kItemSmsGroups = 0x0414;
constexpr uint16_t kItemRecordPhase = 0x00DD;

// Speed-dial element data of item 0x0413.
namespace speeddial {
constexpr std::size_t kEntry = 4;  // 2 bytes
constexpr std::size_t kKind = 6;
}  // namespace speeddial

// SMS-group element data of item 0x0414.
namespace smsgroup {
constexpr std::size_t kSlot = 3;
constexpr std::size_t kName = 4;      // 16 bytes
constexpr std::size_t kMembers = 21;  // ten 3-byte member slots, all 0xFF
constexpr std::size_t kMembersSize = 30;
}  // namespace smsgroup

// Group record: 344 bytes on the wire, its first 24 bytes in the file.
namespace grouprec {
constexpr std::size_t kWireSize = 344;
constexpr std::size_t kFileSize = 24;
constexpr std::size_t kSlot = 1;
constexpr std::size_t kSlotAgain = 2;   // the byte readers take
constexpr std::size_t kFirstEntry = 3;  // 2 bytes
constexpr std::size_t kName = 5;        // 16 bytes
constexpr std::size_t kCount = 22;      // 2 bytes: ringer when read, member count when written
}  // namespace grouprec

// Entry record, 344 bytes, the same on the wire and in the file.
namespace entryrec {
constexpr std::size_t kSize = 344;
constexpr std::size_t kSlot = 1;  // 2 bytes
constexpr std::size_t kSecret = 3;
constexpr std::size_t kGroup = 4;
constexpr std::size_t kPrev = 5;     // 2 bytes
constexpr std::size_t kNext = 7;     // 2 bytes
constexpr std::size_t kNumbers = 9;  // five fields of a length byte and 32 characters
constexpr std::size_t kNumberStride = 33;
constexpr std::size_t kName = 174;      // 16 bytes, zero at 190
constexpr std::size_t kEmail = 191;     // 48 bytes, zero at 239
constexpr std::size_t kWireless = 240;  // 48 bytes, zero at 288
constexpr std::size_t kMemo = 289;      // 48 bytes, zero at 337
constexpr std::size_t kRinger = 338;
constexpr std::size_t kMsgRinger = 340;
constexpr std::size_t kPicture = 342;
}  // namespace entryrec

// Used-slot mask packet (0x84 write, 0x85 request and reply): code and 300 mask bytes.
namespace maskrec {
constexpr std::size_t kSize = 301;
constexpr std::size_t kMask = 1;
}  // namespace maskrec

// Tags of the phone-book file's records and their lengths.
namespace pbfile {
constexpr uint8_t kSmsGroupTag = 0x26;
constexpr uint8_t kGroupTag = 0x81;
constexpr uint8_t kEntryTag = 0x83;
constexpr uint8_t kSpeedDialTag = 0x27;
constexpr std::size_t kSmsGroupSize = 168;
constexpr std::size_t kGroupSize = grouprec::kFileSize;
constexpr std::size_t kEntrySize = entryrec::kSize;
constexpr std::size_t kSpeedDialSize = item::kSize;
}  // namespace pbfile

// Little-endian helpers that read zero past the end of a short record.
inline uint8_t ByteAt(std::span<const uint8_t> r, std::size_t at) {
    return at < r.size() ? r[at] : 0;
}
inline uint16_t Le16(std::span<const uint8_t> r, std::size_t at) {
    return static_cast<uint16_t>(ByteAt(r, at) | (ByteAt(r, at + 1) << 8));
}
inline void PutLe16(std::span<uint8_t> r, std::size_t at, uint16_t v) {
    r[at] = static_cast<uint8_t>(v & 0xFF);
    r[at + 1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace numora
