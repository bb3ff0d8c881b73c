// Import and export of contacts in the window: vCard and CSV files, the format chosen by the
// file's extension. Import replaces the entries and speed dials and keeps the groups and SMS
// groups; what does not fit the handset is listed for the user contact by contact.
#pragma once

#include <QString>
#include <functional>
#include <string_view>

class QWidget;

namespace numora {

class CPBDialog;

// Asked before an import replaces a book that holds entries.
inline constexpr std::string_view kImportReplaces =
    "Import Contacts replaces the entries and speed dials of the book with the contacts of the "
    "file; the groups stay. To add the contacts to the book instead, use \"Merge Contacts...\". "
    "Replace the entries?";

// The file to import from (save false) or export to (save true); empty when cancelled. Tests
// replace the dialog; nullptr restores it.
using ContactsPathChooser = std::function<QString(QWidget* parent, bool save)>;
void SetContactsPathChooser(ContactsPathChooser chooser);

void ImportContactsFile(QWidget* parent, CPBDialog& page);
void ExportContactsFile(QWidget* parent, CPBDialog& page);

}  // namespace numora
