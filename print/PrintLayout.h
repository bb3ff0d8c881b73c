// The printout of the phone book, as plain data: which rows of the entry list print, how they
// fall on pages, and where each text of a page goes. BookPrint draws it.
//
// The page is a ruled table: a header box with the column headings opens every page, followed by
// at most 12 entry boxes of four text lines each. Nothing else is printed (no title, date or page
// number). Units are device pixels at 600 dpi from the printable area's top-left corner, and
// every coordinate is the top-left corner of a text.
//
// Choices:
// - Which entries print: every entry in use, in slot order, with or without a memo. A row prints
//   when its "Secret" cell is not empty; the list fills that cell ("YES" or "NO") for every entry
//   it shows and blanks it for the rest, so the printout holds exactly the rows the list shows
//   (only a group's members while the group filter shows one group).
// - Which value goes under which heading: each value under its own heading ("Home" the Home
//   number, "Mobile" the Mobile number, "Pager", "Fax", "E-Mail", "Wireless Address", "Memo"
//   likewise, "Secret" YES or NO). "Voice" stays empty: the book has no voice number.
// - Speed dials: the cells under "SDial" begin 60 units right of the number beside them, so a
//   speed dial there would print over the number. A set speed dial follows its number in the
//   number's own cell instead ("0301234 (SDial 5)"), for all five numbers; "X" (none) is left
//   out. The "SDial" cells stay empty.
// - Page ranges: pages are counted over the whole printout, and a range prints the entries of
//   its own pages (pages 2 to 3 print the 13th to the 36th printable entry). Pages past the last
//   are left out; a range that starts past the last page prints nothing.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "book/ListText.h"

namespace numora {

constexpr int kPrintDpi = 600;
// The layout's extent: the last separator's glyph cell and the bottom rule of a page's 12th box.
constexpr int kPrintLayoutWidth = 4850;
constexpr int kPrintLayoutHeight = 6490;
constexpr int kPrintBoxesPerPage = 12;
constexpr int kHeaderBoxTop = 170;
constexpr int kFirstEntryBoxTop = 650;
constexpr int kPrintBoxHeight = 480;

// The texts of one row of the entry list, as ListText.h makes them.
using ListRowTexts = std::array<std::string, kListColumns>;

// The resolution for a printable area (in inches): 600 dpi, or on paper too small for the layout
// the least resolution at which it fits.
[[nodiscard]] int PrintResolutionFor(double widthInches, double heightInches);

// Rows are printed when this cell of the entry list is not empty.
constexpr int kPrintSelectionColumn = col::kSecret;
[[nodiscard]] bool IsPrintableRow(const ListRowTexts& cells);

// A box of a page: its top edge and the list row it shows (none for the headings).
struct PrintBox {
    int top = kHeaderBoxTop;
    std::optional<int> row;
    bool operator==(const PrintBox&) const = default;
};
using PrintPage = std::vector<PrintBox>;

// The pages of the printout, from the printable flag of each list row: each page opens with the
// header box and holds up to 12 entry boxes, in row order. No printable row gives no page.
[[nodiscard]] std::vector<PrintPage> PaginatePrintRows(std::span<const bool> printable);

// Pages from..to (1-based, both included) of the printout; from = 0 selects every page.
[[nodiscard]] std::vector<PrintPage> SelectPrintPages(const std::vector<PrintPage>& pages, int from,
                                                      int to);

// The ruling of a box, drawn as text: the rule (151 "_"), dotted lines A (57 "…") and B (63 "…"),
// and the separator (one "│").
enum class PrintMark { Rule, DotsA, DotsB, Separator };

struct PrintMarkGlyphs {
    char16_t glyph;
    int count;
    // The width each glyph takes, so that rules and dotted lines span the table whatever the
    // face: a single-byte character is 30 units wide, a double-byte one ("…") 60; 0 for the
    // glyph's own width.
    int advance;
};
[[nodiscard]] PrintMarkGlyphs GlyphsOf(PrintMark mark);

struct PrintStroke {
    PrintMark mark;
    int x;
    int y;
    bool operator==(const PrintStroke&) const = default;
};

// A heading or a value. Values are the list's texts, byte for byte.
struct PrintText {
    int x;
    int y;
    std::string text;
    bool operator==(const PrintText&) const = default;
};

struct PrintPageLayout {
    std::vector<PrintStroke> strokes;
    std::vector<PrintText> texts;
};

// Everything drawn on one page; rows holds the texts of all list rows, indexed by row.
[[nodiscard]] PrintPageLayout LayOutPrintPage(const PrintPage& page,
                                              std::span<const ListRowTexts> rows);

}  // namespace numora
