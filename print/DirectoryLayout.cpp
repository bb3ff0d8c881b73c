#include "print/DirectoryLayout.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <tuple>

#include "text/Folding.h"

namespace numora {

namespace {

constexpr double kMargin = 42;  // about 15 mm, inside what any printer can reach
constexpr double kColumnGap = 14;
constexpr double kLabelGap = 6;
constexpr double kBlockPadding = 4;
constexpr double kHeadingGap = 6;
constexpr std::array<double, 2> kColumnShare = {0.21, 0.35};  // name, numbers; details the rest

constexpr std::string_view kTitle = "Phone Book";
constexpr std::string_view kNoName = "(no name)";
constexpr std::array<std::string_view, 3> kHeadings = {"Name and group", "Numbers",
                                                       "E-mail, wireless address, memo"};

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The longest start of word that fits width, at least one character; where that start holds
// an address's own break (after "@", ".", "/" or "-"), it ends there.
std::size_t FittingPrefix(std::string_view word, double width, DirFont font,
                          const DirTextWidth& widthOf) {
    std::size_t n = word.size();
    while (n > 1 && widthOf(word.substr(0, n), font) > width)
        --n;
    const std::size_t mark = word.substr(0, n).find_last_of("@./-");
    return mark != std::string_view::npos && mark > 0 && mark + 1 < n ? mark + 1 : n;
}

// Lines of text no wider than width: broken at spaces, and inside words too long for a line.
std::vector<std::string> Wrap(std::string_view text, double width, DirFont font,
                              const DirTextWidth& widthOf) {
    std::vector<std::string> lines;
    std::string line;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        std::string_view word = text.substr(at, end - at);
        at = end + 1;
        if (word.empty()) continue;
        std::string candidate = line.empty() ? std::string(word) : line + ' ' + std::string(word);
        if (widthOf(candidate, font) <= width) {
            line = std::move(candidate);
            continue;
        }
        if (!line.empty()) lines.push_back(std::move(line));
        while (word.size() > 1 && widthOf(word, font) > width) {
            const std::size_t n = FittingPrefix(word, width, font, widthOf);
            lines.emplace_back(word.substr(0, n));
            word.remove_prefix(n);
        }
        line = std::string(word);
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

struct Column {
    double x;
    double width;
};

// One labelled or plain value of a column.
struct Field {
    std::string_view label;  // empty: the value takes the column's whole width
    std::string value;
    DirFont font;
};

// The runs of a column's fields below top, from the column's left edge; returns the height.
double LayOutFields(const std::vector<Field>& fields, const Column& column, double labelWidth,
                    double top, const DirTextWidth& widthOf, std::vector<DirRun>& out) {
    double y = top;
    for (const Field& f : fields) {
        const double indent = f.label.empty() ? 0 : labelWidth;
        const double lineHeight = DirLineHeight(f.font);
        if (!f.label.empty()) {
            out.push_back({column.x, y, widthOf(f.label, DirFont::Text),
                           DirLineHeight(DirFont::Text), DirFont::Text, std::string(f.label)});
        }
        for (std::string& line : Wrap(f.value, column.width - indent, f.font, widthOf)) {
            const double w = widthOf(line, f.font);
            out.push_back({column.x + indent, y, w, lineHeight, f.font, std::move(line)});
            y += lineHeight;
        }
    }
    return y - top;
}

struct Block {
    int row;
    std::vector<DirRun> runs;  // with y from the block's top
    double height;
};

class DirectoryBuilder {
public:
    DirectoryBuilder(DirPaper paper, const DirTextWidth& widthOf)
        : m_paper(paper), m_widthOf(widthOf) {
        const double content = paper.width - 2 * kMargin;
        const double nameWidth = content * kColumnShare[0];
        const double numberWidth = content * kColumnShare[1];
        m_columns[0] = {kMargin, nameWidth};
        m_columns[1] = {m_columns[0].x + nameWidth + kColumnGap, numberWidth};
        m_columns[2] = {m_columns[1].x + numberWidth + kColumnGap,
                        content - nameWidth - numberWidth - 2 * kColumnGap};
        for (int k = 0; k < kNumberKinds; ++k)
            m_numberLabelWidth = std::max(m_numberLabelWidth, LabelWidth(KindLabel(k)));
        for (std::string_view label : kDetailLabels)
            m_detailLabelWidth = std::max(m_detailLabelWidth, LabelWidth(label));
        // No label may take more than half its column, whatever the font.
        m_numberLabelWidth = std::min(m_numberLabelWidth, m_columns[1].width / 2);
        m_detailLabelWidth = std::min(m_detailLabelWidth, m_columns[2].width / 2);

        const double title = DirLineHeight(DirFont::Title);
        m_headingTop = kMargin + title + kHeadingGap;
        m_bodyTop = m_headingTop + DirLineHeight(DirFont::Bold) + kHeadingGap;
        m_footerTop = paper.height - kMargin - DirLineHeight(DirFont::Text);
        m_bodyBottom = m_footerTop - kHeadingGap;
    }

    Block LayOutEntry(int row, const ListRowTexts& cells) const {
        Block block{row, {}, 0};
        const std::string name = Trimmed(cells[col::kName]);
        std::vector<Field> who = {{{}, name.empty() ? std::string(kNoName) : name, DirFont::Bold}};
        if (!cells[col::kGroup].empty()) who.push_back({{}, cells[col::kGroup], DirFont::Text});

        std::vector<Field> numbers;
        for (int k = 0; k < kNumberKinds; ++k) {
            const std::string& number = cells[static_cast<std::size_t>(col::Number(k))];
            if (number.empty()) continue;
            const std::string& dial = cells[static_cast<std::size_t>(col::SpeedDial(k))];
            std::string value = number;
            // No-break spaces (Latin-1 0xA0) keep the speed dial on one line.
            if (!dial.empty() && dial != kNoSpeedDial)
                value +=
                    " (speed\xA0"
                    "dial\xA0" +
                    dial + ")";
            numbers.push_back({KindLabel(k), std::move(value), DirFont::Text});
        }
        std::vector<Field> details;
        const std::array<int, 3> detailColumns = {col::kEmail, col::kWireless, col::kMemo};
        for (std::size_t i = 0; i < detailColumns.size(); ++i) {
            const std::string& text = cells[static_cast<std::size_t>(detailColumns[i])];
            if (!text.empty()) details.push_back({kDetailLabels[i], text, DirFont::Text});
        }

        const double top = kBlockPadding;
        double height = LayOutFields(who, m_columns[0], 0, top, m_widthOf, block.runs);
        height = std::max(height, LayOutFields(numbers, m_columns[1], m_numberLabelWidth, top,
                                               m_widthOf, block.runs));
        height = std::max(height, LayOutFields(details, m_columns[2], m_detailLabelWidth, top,
                                               m_widthOf, block.runs));
        block.height = height + 2 * kBlockPadding;
        return block;
    }

    std::vector<DirPage> Paginate(std::vector<Block> blocks) const {
        std::vector<DirPage> pages;
        double y = m_bodyTop;
        for (Block& block : blocks) {
            // A block taller than a whole page still gets a page of its own.
            const bool pageEmpty = pages.empty() || pages.back().rows.empty();
            if (pages.empty() || (y + block.height > m_bodyBottom && !pageEmpty)) {
                pages.push_back(OpenPage());
                y = m_bodyTop;
            }
            DirPage& page = pages.back();
            for (DirRun& run : block.runs) {
                run.y += y;
                page.runs.push_back(std::move(run));
            }
            y += block.height;
            page.rules.push_back({kMargin, m_paper.width - kMargin, y});
            page.rows.push_back(block.row);
        }
        const std::string count = std::to_string(pages.size());
        for (std::size_t p = 0; p < pages.size(); ++p) {
            const std::string footer = "Page " + std::to_string(p + 1) + " of " + count;
            const double w = m_widthOf(footer, DirFont::Text);
            pages[p].runs.push_back({(m_paper.width - w) / 2, m_footerTop, w,
                                     DirLineHeight(DirFont::Text), DirFont::Text, footer});
        }
        return pages;
    }

private:
    static constexpr std::array<std::string_view, 3> kDetailLabels = {"E-mail", "Wireless", "Memo"};

    static std::string_view KindLabel(int kind) {
        return kListColumnTable[static_cast<std::size_t>(col::Number(kind))].heading;
    }

    double LabelWidth(std::string_view label) const {
        return m_widthOf(label, DirFont::Text) + kLabelGap;
    }

    DirPage OpenPage() const {
        DirPage page;
        page.runs.push_back({kMargin, kMargin, m_widthOf(kTitle, DirFont::Title),
                             DirLineHeight(DirFont::Title), DirFont::Title, std::string(kTitle)});
        for (std::size_t c = 0; c < kHeadings.size(); ++c) {
            // Headings keep to one line: a narrow column shows the start of its heading.
            std::string line =
                Wrap(kHeadings[c], m_columns[c].width, DirFont::Bold, m_widthOf).front();
            const double w = m_widthOf(line, DirFont::Bold);
            page.runs.push_back({m_columns[c].x, m_headingTop, w, DirLineHeight(DirFont::Bold),
                                 DirFont::Bold, std::move(line)});
        }
        page.rules.push_back({kMargin, m_paper.width - kMargin, m_bodyTop});
        return page;
    }

    DirPaper m_paper;
    const DirTextWidth& m_widthOf;
    std::array<Column, 3> m_columns{};
    double m_numberLabelWidth = 0;
    double m_detailLabelWidth = 0;
    double m_headingTop = 0;
    double m_bodyTop = 0;
    double m_bodyBottom = 0;
    double m_footerTop = 0;
};

}  // namespace

double DirFontSize(DirFont font) {
    return font == DirFont::Title ? 14 : 9;
}

double DirLineHeight(DirFont font) {
    return 1.3 * DirFontSize(font);
}

DirPaper PaperForLocale(std::string_view locale) {
    static constexpr std::array<std::string_view, 12> kLetterTerritories = {
        "US", "CA", "MX", "PH", "CL", "CO", "VE", "PR", "GT", "CR", "PA", "DO"};
    const std::size_t underscore = locale.find('_');
    if (underscore == std::string_view::npos) return kPaperA4;
    const std::string_view territory = locale.substr(underscore + 1, 2);
    return std::find(kLetterTerritories.begin(), kLetterTerritories.end(), territory) !=
                   kLetterTerritories.end()
               ? kPaperLetter
               : kPaperA4;
}

std::vector<int> DirectoryOrder(std::span<const ListRowTexts> rows) {
    struct Key {
        bool unnamed;
        std::string folded;
        std::string name;
        int row;
    };
    std::vector<Key> keys;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (!IsPrintableRow(rows[r])) continue;
        std::string name = Trimmed(rows[r][col::kName]);
        keys.push_back({name.empty(), FoldLetters(name), std::move(name), static_cast<int>(r)});
    }
    std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        return std::tie(a.unnamed, a.folded, a.name, a.row) <
               std::tie(b.unnamed, b.folded, b.name, b.row);
    });
    std::vector<int> order;
    order.reserve(keys.size());
    for (const Key& k : keys)
        order.push_back(k.row);
    return order;
}

std::vector<DirPage> LayOutDirectory(std::span<const ListRowTexts> rows, DirPaper paper,
                                     const DirTextWidth& widthOf) {
    const DirectoryBuilder builder(paper, widthOf);
    std::vector<Block> blocks;
    for (int row : DirectoryOrder(rows))
        blocks.push_back(builder.LayOutEntry(row, rows[static_cast<std::size_t>(row)]));
    return builder.Paginate(std::move(blocks));
}

}  // namespace numora
