// Import and export of contacts in the window: vCard and CSV files. Import replaces the entries
// and speed dials and keeps the groups and SMS groups; what does not fit the handset is listed
// contact by contact in a report of its own. Numbers are made what the handset dials from the
// home region: the profile's "Port Setting"/"Home Region" (a country code), else the locale's.
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <functional>
#include <optional>
#include <string_view>

#include "formats/BookFormats.h"

class QPlainTextEdit;
class QWidget;

namespace numora {

class PhoneBookPage;
class Profile;

// The profile's key, in the "Port Setting" section, of the home region ("DE").
inline constexpr const char* kHomeRegionKey = "Home Region";

// Asked before an import replaces a book that holds entries.
inline constexpr std::string_view kImportReplaces =
    "Import Contacts replaces the entries and speed dials of the book with the contacts of the "
    "file; the groups stay. To add the contacts to the book instead, use \"Merge Contacts...\". "
    "Replace the entries?";

// The file chosen to import from (save false) or export to (save true), and for an export the
// file type chosen ("Google Contacts CSV (*.google.csv)"); an empty path when cancelled. Tests
// replace the dialog; nullptr restores it.
struct ContactsFileChoice {
    QString path;
    QString type;
};
using ContactsPathChooser = std::function<ContactsFileChoice(QWidget* parent, bool save)>;
void SetContactsPathChooser(ContactsPathChooser chooser);

// How the window reads contacts: the home region of the profile, else the locale's, and the
// platform's character sets.
ContactsOptions ContactsReading(const Profile& profile);

// The whole of a contacts file, or nothing and why ("No such file or directory", too large).
[[nodiscard]] std::optional<QByteArray> ReadContactsFile(const QString& path, QString& why);
// Whether the file opens and is within the size of a contacts file, without reading it.
[[nodiscard]] bool ContactsFileReadable(const QString& path, QString& why);
// "File open failed!" with the file's name and the reason.
void ShowOpenFailure(QWidget* parent, const QString& path, const QString& why);

// Reads the chosen file first: a file that cannot be read asks nothing.
void ImportContactsFile(QWidget* parent, PhoneBookPage& page, const Profile& profile);
// Import Contacts of a file already chosen, without asking (one dropped on the window, whose
// drop asked already).
void ImportContactsFrom(QWidget* parent, PhoneBookPage& page, const Profile& profile,
                        const QString& path);
void ExportContactsFile(QWidget* parent, PhoneBookPage& page);

// The report of an import or export, whole: it scrolls, resizes, fits a 1024x600 screen, and
// copies or saves every line.
class ContactsReportDialog : public QDialog {
    Q_OBJECT
public:
    ContactsReportDialog(const QString& title, const QString& text, QWidget* parent = nullptr);

    QString Text() const;
    // Where "Save As..." writes; tests replace the file dialog.
    void SetPathChooser(std::function<QString(QWidget*)> chooser) {
        m_choosePath = std::move(chooser);
    }

public slots:
    void OnCopy();
    void OnSaveAs();

private:
    QPlainTextEdit* m_text;
    std::function<QString(QWidget*)> m_choosePath;
};

}  // namespace numora
