#include "print/PrintDialog.h"

#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>

#include "print/DirectoryPrint.h"
#include "ui/Modal.h"

namespace numora {

void PrintPhoneBook(QWidget* parent, const PrintRowSource& rows) {
    const BookPrint job(rows);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Phone Book"));
    QPrintDialog dialog(&printer, parent);
    // With nothing to print the dialog still opens, so that Ctrl+P always answers; printing
    // then draws no page.
    dialog.setMinMax(1, std::max(1, job.PageCount()));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, job.PageCount() > 0);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (RunModal(dialog) != QDialog::Accepted) return;
    // The layout is in device pixels at 600 dpi; the chosen printer or file may have set another,
    // and a page smaller than the layout's 8.1 x 10.8 inches takes a finer resolution instead.
    const QRectF area = printer.pageLayout().paintRect(QPageLayout::Inch);
    printer.setResolution(PrintResolutionFor(area.width(), area.height()));
    const bool range = printer.printRange() == QPrinter::PageRange;
    job.Print(printer, range ? printer.fromPage() : 0, range ? printer.toPage() : 0);
}

void PrintDirectory(QWidget* parent, const PrintRowSource& rows) {
    const DirectoryPrint job(rows);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Phone Directory"));
    printer.setPageSize(DirectoryPaper());
    // The layout keeps margins of its own, measured from the sheet's corner.
    printer.setFullPage(true);
    const int pages = job.EntryCount() > 0 ? static_cast<int>(job.LayOut(printer).size()) : 0;
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(1, std::max(1, pages));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, pages > 0);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (RunModal(dialog) != QDialog::Accepted) return;
    const bool range = printer.printRange() == QPrinter::PageRange;
    job.Print(printer, range ? printer.fromPage() : 0, range ? printer.toPage() : 0);
}

}  // namespace numora
