// Ctrl+P in the window: the print dialog, then the printout; "Print Directory..." likewise for the
// phone directory.
#pragma once

#include <QWidget>

#include "print/BookPrint.h"

namespace numora {

// Shows the print dialog over parent with pages 1 to the printout's last (print to file gives a
// PDF), then prints the chosen pages and returns. The rows are read once, before the dialog
// opens.
void PrintPhoneBook(QWidget* parent, const PrintRowSource& rows);

// The same for the phone directory, on the locale's paper unless the dialog picks another; the
// pages are laid out again for the paper chosen.
void PrintDirectory(QWidget* parent, const PrintRowSource& rows);

}  // namespace numora
