#include "print/DirectoryPrint.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPen>
#include <QString>
#include <array>

namespace numora {

namespace {

constexpr int kPdfDpi = 1200;
constexpr double kRuleWidth = 0.4;  // points

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The fonts of the directory, resolved for one device.
class DirFonts {
public:
    explicit DirFonts(QPaintDevice* device) : m_device(device) {
        for (DirFont f : {DirFont::Text, DirFont::Bold, DirFont::Title}) {
            QFont font;
            font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                              QStringLiteral("Arial")});
            font.setStyleHint(QFont::SansSerif);
            font.setPointSizeF(DirFontSize(f));
            font.setBold(f != DirFont::Text);
            // Letters as typed: no ligatures, so that names stay searchable in a PDF.
            font.setStyleStrategy(QFont::PreferNoShaping);
            m_fonts[Index(f)] = font;
        }
        m_scale = device->logicalDpiY() / 72.0;
    }

    const QFont& Font(DirFont f) const { return m_fonts[Index(f)]; }
    double Scale() const { return m_scale; }
    QFontMetricsF Metrics(DirFont f) const { return QFontMetricsF(Font(f), m_device); }

    double Width(std::string_view text, DirFont f) const {
        return Metrics(f).horizontalAdvance(Latin1(text)) / m_scale;
    }

private:
    static std::size_t Index(DirFont f) { return static_cast<std::size_t>(f); }

    QPaintDevice* m_device;
    std::array<QFont, 3> m_fonts;
    double m_scale = 1;
};

DirPaper PaperOf(const QPagedPaintDevice& device) {
    const QRectF rect = device.pageLayout().paintRect(QPageLayout::Point);
    return {rect.width(), rect.height()};
}

void DrawPage(QPainter& painter, const DirPage& page, const DirFonts& fonts) {
    const double s = fonts.Scale();
    painter.setPen(QPen(Qt::gray, kRuleWidth * s));
    for (const DirRule& r : page.rules)
        painter.drawLine(QPointF(r.x1 * s, r.y * s), QPointF(r.x2 * s, r.y * s));
    painter.setPen(Qt::black);
    for (const DirRun& run : page.runs) {
        painter.setFont(fonts.Font(run.font));
        // The text sits in the middle of its line box.
        const QFontMetricsF m = fonts.Metrics(run.font);
        const double baseline = run.y * s + (run.height * s - m.height()) / 2 + m.ascent();
        painter.drawText(QPointF(run.x * s, baseline), Latin1(run.text));
    }
}

}  // namespace

DirectoryPrint::DirectoryPrint(const PrintRowSource& rows) {
    m_rows.reserve(kEntrySlots);
    for (int row = 0; row < kEntrySlots; ++row) {
        m_rows.push_back(rows(row));
        if (IsPrintableRow(m_rows.back())) ++m_entries;
    }
}

std::vector<DirPage> DirectoryPrint::LayOut(QPagedPaintDevice& device) const {
    const DirFonts fonts(&device);
    return LayOutDirectory(m_rows, PaperOf(device), [&fonts](std::string_view text, DirFont f) {
        return fonts.Width(text, f);
    });
}

int DirectoryPrint::Print(QPagedPaintDevice& device, int from, int to) const {
    std::vector<DirPage> pages = LayOut(device);
    if (from > 0) {
        const int last = std::min(to, static_cast<int>(pages.size()));
        if (from > last) return 0;
        pages = {pages.begin() + (from - 1), pages.begin() + last};
    }
    if (pages.empty()) return 0;
    QPainter painter;
    if (!painter.begin(&device)) return -1;
    const DirFonts fonts(&device);
    int drawn = 0;
    for (const DirPage& page : pages) {
        if (drawn > 0 && !device.newPage()) break;
        DrawPage(painter, page, fonts);
        ++drawn;
    }
    painter.end();
    return drawn;
}

QPageSize DirectoryPaper() {
    QByteArray locale;
    for (const char* name : {"LC_ALL", "LC_PAPER", "LANG"}) {
        locale = qgetenv(name);
        if (!locale.isEmpty()) break;
    }
    const DirPaper paper = PaperForLocale(locale.toStdString());
    return QPageSize(paper.width == kPaperLetter.width ? QPageSize::Letter : QPageSize::A4);
}

void SetUpDirectoryPdf(QPdfWriter& writer) {
    writer.setResolution(kPdfDpi);
    writer.setPageLayout(QPageLayout(DirectoryPaper(), QPageLayout::Portrait, QMarginsF()));
}

}  // namespace numora
