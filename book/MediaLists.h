// The fixed ringer, message-ringer and graphic lists, and the translations between an entry's
// codes and the items the form shows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace numora {

enum class MediaList { Ringer, MsgRinger, Graphic };

struct MediaItem {
    std::string_view text;
    uint16_t code;
};

// The fixed items of each list, item 0 (the default) first.
inline constexpr std::array<MediaItem, 16> kRingers{{
    {"Select Ringer", 0xFFFF},
    {"Radetzky March", 100},
    {"Peer Gynt Suite No.1", 101},
    {"Opera from La Traviata", 102},
    {"A theme by Mozart", 103},
    {"Behind Story", 104},
    {"Funky", 105},
    {"My Friend Rudy", 106},
    {"Music 1", 107},
    {"Music 2", 108},
    {"Music 3", 109},
    {"Bell_1", 200},
    {"Bell_2", 201},
    {"Bell_3", 202},
    {"Bell_4", 203},
    {"Bell_5", 204},
}};

inline constexpr std::array<MediaItem, 6> kMsgRingers{{
    {"Select Ringer", 0xFFFF},
    {"Tone 1", 300},
    {"Tone 2", 301},
    {"Tone 3", 302},
    {"Tone 4", 303},
    {"Tone 5", 304},
}};

inline constexpr std::array<MediaItem, 1> kGraphics{{{"Select Graphic", 0xFFFF}}};

// The items a list holds after a reset, item 0 first.
std::span<const MediaItem> FixedItems(MediaList list);

// The item the detail panel selects for a code: a fixed code selects its own item, any other
// code (a sound or image downloaded to the handset) the default item 0.
[[nodiscard]] int ItemForCode(MediaList list, uint16_t code);

// The code an item stands for; nothing for an item the list does not hold.
[[nodiscard]] std::optional<uint16_t> CodeForItem(MediaList list, int item);

// The text a list cell shows for a code: the item's title for a fixed code, otherwise the
// code in decimal, so that a downloaded sound or image can still be told apart.
std::string TitleForCode(MediaList list, uint16_t code);

}  // namespace numora
