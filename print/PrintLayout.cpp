#include "print/PrintLayout.h"

#include <algorithm>
#include <cmath>

namespace numora {

namespace {

// The four text lines of a box, as offsets from its top edge.
constexpr std::array<int, 4> kLineY = {110, 230, 350, 470};

struct PrintCell {
    int line;  // 0 to 3
    int x;
    std::string_view heading;
    std::optional<int> column;           // list column printed in the cell
    std::optional<int> speedDialColumn;  // speed dial that follows the number
};

constexpr std::array<PrintCell, 16> kCells = {{
    {0, 100, "No.", col::kSlot, std::nullopt},
    {0, 250, "Name", col::kName, std::nullopt},
    {0, 770, "Group", col::kGroup, std::nullopt},
    {0, 1170, "Home", col::Number(NumberKind::Home), col::SpeedDial(NumberKind::Home)},
    {0, 1230, "SDial", std::nullopt, std::nullopt},
    {0, 2390, "Mobile", col::Number(NumberKind::Mobile), col::SpeedDial(NumberKind::Mobile)},
    {0, 2450, "SDial", std::nullopt, std::nullopt},
    {0, 3610, "Office", col::Number(NumberKind::Office), col::SpeedDial(NumberKind::Office)},
    {0, 3670, "SDial", std::nullopt, std::nullopt},
    {1, 1170, "Pager", col::Number(NumberKind::Pager), col::SpeedDial(NumberKind::Pager)},
    {1, 1230, "Fax", col::Number(NumberKind::Fax), col::SpeedDial(NumberKind::Fax)},
    {1, 2390, "Voice", std::nullopt, std::nullopt},
    {2, 770, "Secret", col::kSecret, std::nullopt},
    {2, 1170, "E-Mail", col::kEmail, std::nullopt},
    {2, 1230, "Wireless Address", col::kWireless, std::nullopt},
    {3, 1170, "Memo", col::kMemo, std::nullopt},
}};

struct SeparatorRun {
    std::span<const int> xs;
    std::span<const int> ys;  // offsets from the box's top edge
};

constexpr std::array<int, 8> kFullSeparatorX = {50, 200, 720, 1120, 2400, 3560, 3620, 4790};
constexpr std::array<int, 6> kFullSeparatorY = {85, 165, 245, 325, 405, 455};
constexpr std::array<int, 1> kLines1To3X = {1180};
constexpr std::array<int, 5> kLines1To3Y = {85, 165, 245, 280, 350};
constexpr std::array<int, 1> kLines1And2X = {2340};
constexpr std::array<int, 3> kLines1And2Y = {85, 165, 245};

const std::array<SeparatorRun, 3> kSeparators = {{
    {kFullSeparatorX, kFullSeparatorY},
    {kLines1To3X, kLines1To3Y},
    {kLines1And2X, kLines1And2Y},
}};

std::string CellValue(const PrintCell& cell, const ListRowTexts& cells) {
    std::string text = cells[static_cast<std::size_t>(*cell.column)];
    if (!cell.speedDialColumn) return text;
    const std::string& dial = cells[static_cast<std::size_t>(*cell.speedDialColumn)];
    if (dial.empty() || dial == kNoSpeedDial) return text;
    if (!text.empty()) text += ' ';
    return text + "(SDial " + dial + ")";
}

void LayOutRuling(int top, PrintPageLayout& out) {
    out.strokes.push_back({PrintMark::DotsA, 1170, top + 170});
    out.strokes.push_back({PrintMark::DotsB, 770, top + 280});
    out.strokes.push_back({PrintMark::DotsA, 1170, top + 390});
    out.strokes.push_back({PrintMark::Rule, 100, top + kPrintBoxHeight});
    for (const SeparatorRun& run : kSeparators) {
        for (int x : run.xs) {
            for (int dy : run.ys)
                out.strokes.push_back({PrintMark::Separator, x, top + dy});
        }
    }
}

}  // namespace

int PrintResolutionFor(double widthInches, double heightInches) {
    if (widthInches <= 0 || heightInches <= 0) return kPrintDpi;
    const double fit = std::max(kPrintLayoutWidth / widthInches, kPrintLayoutHeight / heightInches);
    return std::max(kPrintDpi, static_cast<int>(std::ceil(fit)));
}

bool IsPrintableRow(const ListRowTexts& cells) {
    return !cells[static_cast<std::size_t>(kPrintSelectionColumn)].empty();
}

std::vector<PrintPage> PaginatePrintRows(std::span<const bool> printable) {
    std::vector<PrintPage> pages;
    for (std::size_t row = 0; row < printable.size(); ++row) {
        if (!printable[row]) continue;
        if (pages.empty() || pages.back().size() == 1 + kPrintBoxesPerPage) {
            pages.push_back({PrintBox{kHeaderBoxTop, std::nullopt}});
        }
        const int position = static_cast<int>(pages.back().size()) - 1;
        pages.back().push_back(
            {kFirstEntryBoxTop + kPrintBoxHeight * position, static_cast<int>(row)});
    }
    return pages;
}

std::vector<PrintPage> SelectPrintPages(const std::vector<PrintPage>& pages, int from, int to) {
    if (from <= 0) return pages;
    const int last = std::min(to, static_cast<int>(pages.size()));
    if (from > last) return {};
    return {pages.begin() + (from - 1), pages.begin() + last};
}

PrintMarkGlyphs GlyphsOf(PrintMark mark) {
    switch (mark) {
        case PrintMark::Rule:
            return {u'_', 151, 30};
        case PrintMark::DotsA:
            return {u'\u2026', 57, 60};
        case PrintMark::DotsB:
            return {u'\u2026', 63, 60};
        case PrintMark::Separator:
            break;
    }
    return {u'\u2502', 1, 0};
}

PrintPageLayout LayOutPrintPage(const PrintPage& page, std::span<const ListRowTexts> rows) {
    PrintPageLayout out;
    for (const PrintBox& box : page) {
        if (!box.row) {
            out.strokes.push_back({PrintMark::Rule, 100, box.top});
            LayOutRuling(box.top, out);
            for (const PrintCell& cell : kCells) {
                out.texts.push_back({cell.x, box.top + kLineY[static_cast<std::size_t>(cell.line)],
                                     std::string(cell.heading)});
            }
            continue;
        }
        LayOutRuling(box.top, out);
        if (*box.row < 0 || static_cast<std::size_t>(*box.row) >= rows.size()) continue;
        const ListRowTexts& cells = rows[static_cast<std::size_t>(*box.row)];
        for (const PrintCell& cell : kCells) {
            if (!cell.column) continue;
            std::string value = CellValue(cell, cells);
            if (value.empty()) continue;
            out.texts.push_back(
                {cell.x, box.top + kLineY[static_cast<std::size_t>(cell.line)], std::move(value)});
        }
    }
    return out;
}

}  // namespace numora
