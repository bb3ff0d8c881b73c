#include "print/BookPrint.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cmath>

namespace numora {

namespace {

constexpr int kFontHeight = 80;
constexpr double kFontAverageWidth = 30.0;

// A mark's text with the font that gives each glyph its fixed width.
struct MarkPen {
    QString text;
    QFont font;
};

MarkPen PenFor(PrintMark mark, const QFont& base, QPaintDevice* device) {
    const PrintMarkGlyphs g = GlyphsOf(mark);
    const QChar glyph(g.glyph);
    MarkPen pen{QString(g.count, glyph), base};
    if (g.advance > 0) {
        // Qt scales letter spacing with the device's resolution: measure the text with none and
        // with one unit of it, and solve for the spacing that gives the text its fixed width.
        const qreal plain = QFontMetricsF(base, device).horizontalAdvance(pen.text);
        QFont probe = base;
        probe.setLetterSpacing(QFont::AbsoluteSpacing, 1);
        const qreal perUnit = QFontMetricsF(probe, device).horizontalAdvance(pen.text) - plain;
        if (perUnit > 0) {
            pen.font.setLetterSpacing(QFont::AbsoluteSpacing,
                                      (g.count * g.advance - plain) / perUnit);
        }
    }
    return pen;
}

void DrawPage(QPainter& painter, const PrintPageLayout& layout,
              const std::array<MarkPen, 4>& pens) {
    // Coordinates are the texts' top-left corners; Qt places text by its baseline.
    const qreal ascent = QFontMetricsF(painter.font(), painter.device()).ascent();
    const QFont font = painter.font();
    for (const PrintStroke& s : layout.strokes) {
        const MarkPen& pen = pens[static_cast<std::size_t>(s.mark)];
        painter.setFont(pen.font);
        painter.drawText(QPointF(s.x, s.y + ascent), pen.text);
    }
    painter.setFont(font);
    for (const PrintText& t : layout.texts) {
        painter.drawText(QPointF(t.x, t.y + ascent),
                         QString::fromLatin1(t.text.data(), static_cast<qsizetype>(t.text.size())));
    }
}

}  // namespace

BookPrint::BookPrint(const PrintRowSource& rows) {
    m_rows.reserve(kEntrySlots);
    std::array<bool, kEntrySlots> printable{};
    for (int row = 0; row < kEntrySlots; ++row) {
        m_rows.push_back(rows(row));
        printable[static_cast<std::size_t>(row)] = IsPrintableRow(m_rows.back());
    }
    m_pages = PaginatePrintRows(printable);
}

int BookPrint::Print(QPagedPaintDevice& device, int from, int to) const {
    const std::vector<PrintPage> pages = SelectPrintPages(m_pages, from, to);
    if (pages.empty()) return 0;
    QPainter painter;
    if (!painter.begin(&device)) return -1;
    const QFont font = PrintFont();
    painter.setFont(font);
    const std::array<MarkPen, 4> pens = {
        PenFor(PrintMark::Rule, font, &device),
        PenFor(PrintMark::DotsA, font, &device),
        PenFor(PrintMark::DotsB, font, &device),
        PenFor(PrintMark::Separator, font, &device),
    };
    int drawn = 0;
    for (const PrintPage& page : pages) {
        if (drawn > 0 && !device.newPage()) break;
        DrawPage(painter, LayOutPrintPage(page, m_rows), pens);
        ++drawn;
    }
    painter.end();
    return drawn;
}

QFont PrintFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(kFontHeight);
    font.setWeight(QFont::Normal);
    // Letters as typed: no ligatures, so "Office" stays searchable in a PDF.
    font.setStyleStrategy(QFont::PreferNoShaping);
    const qreal average = QFontMetricsF(font).averageCharWidth();
    if (average > 0) {
        font.setStretch(std::clamp(static_cast<int>(std::lround(100 * kFontAverageWidth / average)),
                                   static_cast<int>(QFont::UltraCondensed),
                                   static_cast<int>(QFont::UltraExpanded)));
    }
    return font;
}

void SetUpPrintPdf(QPdfWriter& writer) {
    writer.setResolution(kPrintDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                     QMarginsF(14, 0, 14, 0), QPageLayout::Point));
}

}  // namespace numora
