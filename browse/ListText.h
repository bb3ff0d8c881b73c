// What the phone book list shows: its columns, and the text of each cell of an entry's row.
// The window's list and the printout take their texts from here.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "book/PhoneBook.h"

namespace numora {

constexpr int kListColumns = 20;

struct ListColumn {
    std::string_view heading;
    int width;  // pixels
};

// The list's columns, left to right, with their widths in pixels.
inline constexpr std::array<ListColumn, kListColumns> kListColumnTable{{
    {"#", 37},
    {"Name", 100},
    {"Group", 100},
    {"Mobile", 100},
    {"Speed Dial Mobile", 30},
    {"Home", 100},
    {"Speed Dial Home", 30},
    {"Office", 100},
    {"Speed Dial Office", 30},
    {"Pager", 100},
    {"Speed Dial Pager", 30},
    {"Fax", 100},
    {"Speed Dial Fax", 30},
    {"E-mail", 160},
    {"Wireless Address", 160},
    {"Memo", 160},
    {"Secret", 70},
    {"Ringtype", 100},
    {"Msg. Ringer", 100},
    {"Picture id", 100},
}};

// Column indexes.
namespace col {
constexpr int kSlot = 0;
constexpr int kName = 1;
constexpr int kGroup = 2;
constexpr int kFirstNumber = 3;  // numbers at 3, 5, 7, 9, 11; their speed dials one to the right
constexpr int kEmail = 13;
constexpr int kWireless = 14;
constexpr int kMemo = 15;
constexpr int kSecret = 16;
constexpr int kRinger = 17;
constexpr int kMsgRinger = 18;
constexpr int kPicture = 19;
// The columns of the number at position 0..4 of an entry, and of its speed dial.
constexpr int Number(int position) {
    return kFirstNumber + 2 * position;
}
constexpr int SpeedDial(int position) {
    return Number(position) + 1;
}
constexpr int Number(NumberKind kind) {
    return Number(PositionOf(kind));
}
constexpr int SpeedDial(NumberKind kind) {
    return SpeedDial(PositionOf(kind));
}
}  // namespace col

// Column 0 of row i: the slot number, "%3d ".
std::string SlotLabel(int slot);

// A speed dial as edits and cells show it: the number, or "X" for none.
std::string SpeedDialText(std::optional<int> element);
inline constexpr std::string_view kNoSpeedDial = "X";

// All 20 cells of a slot's row; columns 1 to 19 are empty for an empty slot.
std::array<std::string, kListColumns> EntryRowTexts(const PhoneBook& book, int slot);

}  // namespace numora
