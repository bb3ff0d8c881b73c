// Import and export of contacts in the window: vCard and CSV files, the format chosen by the
// file's extension. Import replaces the entries and speed dials and keeps the groups and SMS
// groups; what does not fit the handset is listed for the user contact by contact.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace numora {

class CPBDialog;

// The file to import from (save false) or export to (save true); empty when cancelled. Tests
// replace the dialog; nullptr restores it.
using ContactsPathChooser = std::function<QString(QWidget* parent, bool save)>;
void SetContactsPathChooser(ContactsPathChooser chooser);

void ImportContactsFile(QWidget* parent, CPBDialog& page);
// Import Contacts of a file already chosen (one dropped on the window).
void ImportContactsFrom(QWidget* parent, CPBDialog& page, const QString& path);
void ExportContactsFile(QWidget* parent, CPBDialog& page);

}  // namespace numora
