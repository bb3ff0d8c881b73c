#include "link/Trace.h"

#include <array>

#include "book/Records.h"
#include "link/HandsetCommands.h"

namespace numora {

namespace {

constexpr std::size_t kUnknownLen = 7;  // "?? 0xNN"

constexpr std::array<std::array<char, kUnknownLen>, 256> MakeUnknownNames() {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::array<std::array<char, kUnknownLen>, 256> names{};
    for (std::size_t code = 0; code < names.size(); ++code) {
        names[code] = {'?', '?', ' ', '0', 'x', kHex[code >> 4], kHex[code & 0xF]};
    }
    return names;
}

constexpr auto kUnknownNames = MakeUnknownNames();

std::string_view ItemName(uint8_t code, uint16_t itemNumber) {
    const bool read = code == cmd::kNvRead;
    switch (itemNumber) {
        case kItemSpeedDials:
            return read ? "NvRead 0x0413" : "NvWrite 0x0413";
        case kItemSmsGroups:
            return read ? "NvRead 0x0414" : "NvWrite 0x0414";
        case kItemRecordPhase:
            return read ? "NvRead 0x00DD" : "NvWrite 0x00DD";
        default:
            return read ? "NvRead" : "NvWrite";
    }
}

bool IsLetter(uint8_t b, uint8_t lower) {
    return b == lower || b == lower - 'a' + 'A';
}

}  // namespace

std::string_view CommandName(std::span<const uint8_t> packet) {
    if (packet.empty()) return "(empty)";
    if (packet.size() >= 2 && IsLetter(packet[0], 'a') && IsLetter(packet[1], 't')) {
        return "AT text";
    }
    const uint8_t code = packet[0];
    switch (code) {
        case cmd::kNvRead:
        case cmd::kNvWrite:
            return ItemName(code, Le16(packet, item::kItem));
        case cmd::kModeControl:
            return "ModeControl";
        case cmd::kStatus:
            return "Status";
        case cmd::kEnd:
            return "End";
        case cmd::kPassword:
            return "Password";
        case cmd::kGroupWrite:
            return "GroupWrite";
        case cmd::kGroupRead:
            return "GroupRead";
        case cmd::kEntryWrite:
            return "EntryWrite";
        case cmd::kEntryRead:
            return "EntryRequest";
        case cmd::kMaskWrite:
            return "MaskWrite";
        case cmd::kMaskRead:
            return "MaskRead";
        case cmd::kRefused18:
            return "Refused 0x18";
        case cmd::kRefused1F:
            return "Refused 0x1F";
        case cmd::kBadCommand:
            return "BadCommand";
        default: {
            const auto& name = kUnknownNames[code];
            return {name.data(), name.size()};
        }
    }
}

}  // namespace numora
