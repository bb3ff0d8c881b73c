// The order the list shows its rows in when a column heading is clicked. Sorting orders the
// view only: row i stays slot i, and nothing the book holds or writes changes.
#pragma once

#include <array>
#include <span>
#include <string>
#include <vector>

#include "browse/ListText.h"

namespace numora {

using RowTexts = std::array<std::string, kListColumns>;

enum class SortOrder { Slots, Ascending, Descending };

struct ListSort {
    int column = col::kSlot;
    SortOrder order = SortOrder::Slots;
    bool operator==(const ListSort&) const = default;
};

// A click on a heading: another column sorts ascending by it, the same one again descending,
// a third click (or one on "#") returns to slot order.
[[nodiscard]] ListSort NextSort(ListSort current, int clickedColumn);

// The rows, first shown first. Names and other texts compare without case or accents, numbers
// by their digits, speed dials by their number. Rows with nothing in the column come last in
// either direction, and rows that compare equal keep slot order.
[[nodiscard]] std::vector<int> SortedRows(std::span<const RowTexts> rows, ListSort sort);

}  // namespace numora
