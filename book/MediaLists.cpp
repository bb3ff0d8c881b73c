#include "book/MediaLists.h"

#include <algorithm>
#include <array>

namespace numora {

namespace {

// The item of a fixed code, or -1 for a code no item stands for.
int FindItem(MediaList list, uint16_t code) {
    const auto items = FixedItems(list);
    const auto it = std::find_if(items.begin(), items.end(),
                                 [code](const MediaItem& m) { return m.code == code; });
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

}  // namespace

std::span<const MediaItem> FixedItems(MediaList list) {
    switch (list) {
        case MediaList::Ringer:
            return kRingers;
        case MediaList::MsgRinger:
            return kMsgRingers;
        case MediaList::Graphic:
            return kGraphics;
    }
    return {};
}

int ItemForCode(MediaList list, uint16_t code) {
    return std::max(FindItem(list, code), 0);
}

std::optional<uint16_t> CodeForItem(MediaList list, int item) {
    const auto items = FixedItems(list);
    if (item < 0 || static_cast<std::size_t>(item) >= items.size()) return std::nullopt;
    return items[static_cast<std::size_t>(item)].code;
}

std::string TitleForCode(MediaList list, uint16_t code) {
    const int item = FindItem(list, code);
    if (item < 0) return std::to_string(code);
    return std::string(FixedItems(list)[static_cast<std::size_t>(item)].text);
}

}  // namespace numora
