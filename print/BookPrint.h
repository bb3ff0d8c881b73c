// Draws the printout of the phone book (PrintLayout.h) on a printer from the window or on a PDF
// writer from the command-line tool.
//
// One logical unit is one device pixel and nothing scales the layout, so the pages have their
// intended size at 600 dpi: the PDF is written at 600 dpi, and a printer is set to 600 dpi where
// it allows (finer on paper too small for the layout). The face is a sans-serif one 80 units high
// with characters about 30 units wide on average, in normal weight: Arial where it exists (Windows,
// macOS), else Liberation Sans or DejaVu Sans (Debian), else the system's sans-serif; it is
// narrowed to the width whatever face is found. List texts are bytes and print as the Latin-1
// characters of their values, as the book's JSON shows them.
#pragma once

#include <QFont>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <functional>
#include <vector>

#include "print/PrintLayout.h"

namespace numora {

// The list's texts of a row 0 to 299; the window gives what its list shows, the tool the
// EntryRowTexts of the book.
using PrintRowSource = std::function<ListRowTexts(int row)>;

class BookPrint {
public:
    // Reads the 300 rows once, so the printout is the list as it stood when printing began.
    explicit BookPrint(const PrintRowSource& rows);

    int PageCount() const { return static_cast<int>(m_pages.size()); }

    // Draws pages from..to (1-based, both included; from = 0 for all) on the device, each after
    // the first on a new sheet. Returns the number of pages drawn: 0 when the range holds none
    // (the device is left untouched), -1 when the device cannot be painted on.
    int Print(QPagedPaintDevice& device, int from = 0, int to = 0) const;

private:
    std::vector<ListRowTexts> m_rows;
    std::vector<PrintPage> m_pages;
};

// The printout's face for a device of any resolution.
QFont PrintFont();

// A PDF of the printout: Letter at 600 dpi, the printable area 14 points in from either side. The
// ruled table is 7.9 inches wide and sits with 0.3 inch on either side, where A4's 8.27 inches
// would leave less than 0.2, too little for many printers. Above the table the boxes keep 0.4
// inch of their own, so the area starts at the top edge, and the last box ends 10.85 inches down.
void SetUpPrintPdf(QPdfWriter& writer);

}  // namespace numora
