// The phone directory, as plain data: a printout for reading rather than the ruled table. The
// entries in use, sorted by name, each in a block of three columns (name and group; numbers by
// kind with their speed dials; e-mail, wireless address and memo) under a title and column
// headings, with "Page n of m" in the footer. Texts too wide for their column wrap inside it, an
// entry never splits over two pages, and no two texts share any space.
//
// Units are points (1/72 inch) from the paper's top-left corner; every text is a run with its
// box, so the drawing only places the runs and the tests can check where they fall. Widths come
// from the caller, who knows the fonts.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "print/PrintLayout.h"

namespace numora {

enum class DirFont { Text, Bold, Title };

// The font's size in points; a line of it is 1.3 times as tall.
[[nodiscard]] double DirFontSize(DirFont font);
[[nodiscard]] double DirLineHeight(DirFont font);

// The width of a text (bytes, shown as Latin-1) in a font, in points.
using DirTextWidth = std::function<double(std::string_view text, DirFont font)>;

struct DirPaper {
    double width;
    double height;
};
constexpr DirPaper kPaperA4 = {595.28, 841.89};
constexpr DirPaper kPaperLetter = {612.0, 792.0};

// The paper of a locale named as POSIX names them ("en_US.UTF-8", "de_DE", "C"): Letter where
// the territory uses it (the Americas' Letter countries and the Philippines), A4 elsewhere.
[[nodiscard]] DirPaper PaperForLocale(std::string_view locale);

// One text of a page; (x, y) is the top-left corner of its line box.
struct DirRun {
    double x;
    double y;
    double width;
    double height;
    DirFont font;
    std::string text;
};

// A thin line between blocks, drawn in the gap so that it touches no text.
struct DirRule {
    double x1;
    double x2;
    double y;
};

struct DirPage {
    std::vector<DirRun> runs;
    std::vector<DirRule> rules;
    std::vector<int> rows;  // the list rows of the entries on the page, in order
};

// The rows that print (IsPrintableRow), sorted by name: letters compared without case or
// accents, then byte for byte, then by slot; entries without a name last.
[[nodiscard]] std::vector<int> DirectoryOrder(std::span<const ListRowTexts> rows);

// Every page of the directory of rows (indexed by list row); no printable row gives no page.
[[nodiscard]] std::vector<DirPage> LayOutDirectory(std::span<const ListRowTexts> rows,
                                                   DirPaper paper, const DirTextWidth& widthOf);

}  // namespace numora
