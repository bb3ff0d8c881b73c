// Draws the phone directory (DirectoryLayout.h) on a printer from the window or on a PDF writer
// from the command-line tool, on the device's own paper.
//
// The layout is in points; here a point becomes device pixels at the device's resolution, and
// texts are measured with the very fonts that draw them, so the runs fall where the layout put
// them. The face is the system's sans-serif (DejaVu Sans or Liberation Sans on Debian, Arial
// elsewhere). List texts are bytes and print as the Latin-1 characters of their values.
#pragma once

#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <vector>

#include "print/BookPrint.h"
#include "print/DirectoryLayout.h"

namespace numora {

class DirectoryPrint {
public:
    // Reads the 300 rows once, so the directory is the list as it stood when printing began.
    explicit DirectoryPrint(const PrintRowSource& rows);

    int EntryCount() const { return m_entries; }

    // The pages on the device's paper.
    std::vector<DirPage> LayOut(QPagedPaintDevice& device) const;

    // Draws pages from..to (1-based, both included; from = 0 for all), each after the first on
    // a new sheet. Returns the number drawn: 0 when the range holds none (the device is left
    // untouched), -1 when the device cannot be painted on.
    int Print(QPagedPaintDevice& device, int from = 0, int to = 0) const;

private:
    std::vector<ListRowTexts> m_rows;
    int m_entries = 0;
};

// A4, or Letter where the locale's paper is Letter (LC_ALL, else LC_PAPER, else LANG).
QPageSize DirectoryPaper();

// A PDF of the directory: the locale's paper at 1200 dpi, the whole sheet as the painting area
// (the layout keeps its own margins).
void SetUpDirectoryPdf(QPdfWriter& writer);

}  // namespace numora
