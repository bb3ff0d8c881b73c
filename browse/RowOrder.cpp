#include "browse/RowOrder.h"

#include <algorithm>
#include <numeric>

#include "text/Folding.h"

namespace numora {

namespace {

// "#" is the slot order itself; past the last column there is nothing to sort by.
bool IsSortColumn(int column) {
    return column > col::kSlot && column < kListColumns;
}

bool IsNumberColumn(int column) {
    for (int k = 0; k < kNumberKinds; ++k) {
        if (column == col::Number(k)) return true;
    }
    return false;
}

bool IsSpeedDialColumn(int column) {
    for (int k = 0; k < kNumberKinds; ++k) {
        if (column == col::SpeedDial(k)) return true;
    }
    return false;
}

// What a cell is sorted by; empty for a cell with nothing to sort by.
std::string SortKey(const std::string& cell, int column) {
    if (IsNumberColumn(column)) {
        std::string digits;
        for (const char c : cell) {
            if (c >= '0' && c <= '9') digits += c;
        }
        return digits;
    }
    if (IsSpeedDialColumn(column)) {
        if (cell == kNoSpeedDial || cell.empty()) return {};
        // Two digits at most: a leading zero orders 2 before 12.
        return cell.size() < 2 ? "0" + cell : cell;
    }
    return FoldLetters(cell);
}

}  // namespace

ListSort NextSort(ListSort current, int clickedColumn) {
    if (!IsSortColumn(clickedColumn)) return {};
    if (current.column != clickedColumn || current.order == SortOrder::Slots) {
        return {clickedColumn, SortOrder::Ascending};
    }
    if (current.order == SortOrder::Ascending) return {clickedColumn, SortOrder::Descending};
    return {};
}

std::vector<int> SortedRows(std::span<const RowTexts> rows, ListSort sort) {
    std::vector<int> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    if (sort.order == SortOrder::Slots || !IsSortColumn(sort.column)) return order;
    std::vector<std::string> keys;
    keys.reserve(rows.size());
    for (const RowTexts& row : rows)
        keys.push_back(SortKey(row[static_cast<std::size_t>(sort.column)], sort.column));
    const bool descending = sort.order == SortOrder::Descending;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const std::string& ka = keys[static_cast<std::size_t>(a)];
        const std::string& kb = keys[static_cast<std::size_t>(b)];
        if (ka.empty() || kb.empty()) return !ka.empty() && kb.empty();
        return descending ? kb < ka : ka < kb;
    });
    return order;
}

}  // namespace numora
