#include "browse/ListText.h"

#include <cstdio>

#include "book/MediaLists.h"

namespace numora {

std::string SlotLabel(int slot) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%3d ", slot);
    return buf;
}

std::string SpeedDialText(std::optional<int> element) {
    return element ? std::to_string(*element + kFirstSpeedDial) : std::string(kNoSpeedDial);
}

std::array<std::string, kListColumns> EntryRowTexts(const PhoneBook& book, int slot) {
    std::array<std::string, kListColumns> cells;
    cells[col::kSlot] = SlotLabel(slot);
    PBEntry e;
    if (!book.GetEntry(slot, e)) return cells;
    cells[col::kName] = TextOf(e.name);
    PBGroup g;
    if (book.GetGroup(e.group, g)) cells[col::kGroup] = TextOf(g.name);
    for (const NumberKind kind : kAllNumberKinds) {
        std::string number(NumberText(e.numbers[IndexOf(kind)]));
        // A Mobile number of exactly "ess" stands for none.
        if (kind == NumberKind::Mobile && number == "ess") number.clear();
        cells[static_cast<std::size_t>(col::Number(kind))] = number;
        cells[static_cast<std::size_t>(col::SpeedDial(kind))] =
            SpeedDialText(book.FindSpeedDial(static_cast<uint16_t>(slot), kind));
    }
    cells[col::kEmail] = TextOf(e.email);
    cells[col::kWireless] = TextOf(e.wireless);
    cells[col::kMemo] = TextOf(e.memo);
    cells[col::kSecret] = e.secret != 0 ? "YES" : "NO";
    cells[col::kRinger] = TitleForCode(MediaList::Ringer, e.ringer);
    cells[col::kMsgRinger] = TitleForCode(MediaList::MsgRinger, e.msgRinger);
    cells[col::kPicture] = TitleForCode(MediaList::Graphic, e.picture);
    return cells;
}

}  // namespace numora
