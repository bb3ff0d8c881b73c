// The handset's command codes: the first byte of every packet, in both directions. A reply
// carries the code of the request it answers, unless the handset refuses the request.
#pragma once

#include <cstdint>

namespace numora {

namespace cmd {
constexpr uint8_t kNvRead = 0x26;
constexpr uint8_t kNvWrite = 0x27;
constexpr uint8_t kModeControl = 0x29;
constexpr uint8_t kStatus = 0x3F;
constexpr uint8_t kEnd = 0x44;
constexpr uint8_t kPassword = 0x46;
constexpr uint8_t kGroupWrite = 0x80;
constexpr uint8_t kGroupRead = 0x81;
constexpr uint8_t kEntryWrite = 0x82;
constexpr uint8_t kEntryRead = 0x83;
constexpr uint8_t kMaskWrite = 0x84;
constexpr uint8_t kMaskRead = 0x85;
// Replies by which the handset refuses the current mode.
constexpr uint8_t kRefused18 = 0x18;
constexpr uint8_t kRefused1F = 0x1F;
// The handset's answer to a request it does not know, followed by that request.
constexpr uint8_t kBadCommand = 0x13;
}  // namespace cmd

}  // namespace numora
