// The fixed ringer, message-ringer and graphic lists, and the translations between an entry's
// codes and the items the form shows.
#pragma once

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

// The items a list holds after a reset, item 0 first.
std::span<const MediaItem> FixedItems(MediaList list);

// The item the detail panel selects for a code: a fixed code selects its own item, any other
// code (a sound or image downloaded to the handset) the default item 0.
int ItemForCode(MediaList list, uint16_t code);

// The code an item stands for; nothing for an item the list does not hold.
std::optional<uint16_t> CodeForItem(MediaList list, int item);

// The text a list cell shows for a code: the item's title for a fixed code, otherwise the
// code in decimal, so that a downloaded sound or image can still be told apart.
std::string TitleForCode(MediaList list, uint16_t code);

}  // namespace numora
