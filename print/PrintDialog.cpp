#include "print/PrintDialog.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>

#include "print/DirectoryPrint.h"
#include "ui/Modal.h"

namespace numora {

namespace {

// A printout that did not come out is said, with where it was going: the printer, or the file
// and why the system refused it.
void ReportPrintResult(QWidget* parent, const QPrinter& printer, int drawn) {
    if (drawn >= 0 && printer.printerState() != QPrinter::Error) return;
    const QString file = printer.outputFileName();
    if (file.isEmpty()) {
        ShowMessage(parent, "The printer did not take the printout.");
        return;
    }
    const QFileInfo folder(QFileInfo(file).absolutePath());
    const QString reason = !folder.isDir()        ? QStringLiteral(": the folder does not exist")
                           : !folder.isWritable() ? QStringLiteral(": no permission to write there")
                                                  : QString();
    ShowMessage(parent, QStringLiteral("The printout could not be written to %1%2.")
                            .arg(file, reason)
                            .toStdString());
}

}  // namespace

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
    ReportPrintResult(
        parent, printer,
        job.Print(printer, range ? printer.fromPage() : 0, range ? printer.toPage() : 0));
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
    ReportPrintResult(
        parent, printer,
        job.Print(printer, range ? printer.fromPage() : 0, range ? printer.toPage() : 0));
}

}  // namespace numora
