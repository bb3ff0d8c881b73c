// Merging in the window: contacts files into the book (File > "Merge Contacts...", and files
// dropped on the window), and the book's duplicates (File > "Find Duplicates..."). Each shows
// its preview first; "Merge" changes the window's book after a snapshot, "Cancel" changes
// nothing. Nothing reaches the handset until "Write to Phone".
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace numora {

class PhoneBookPage;
class Profile;

// The files to merge; empty when cancelled. Tests replace the dialog; nullptr restores it.
using MergePathsChooser = std::function<QStringList(QWidget* parent)>;
void SetMergePathsChooser(MergePathsChooser chooser);

// Numbers are compared under the home region of the profile, else the locale's, as Import
// Contacts reads them.
// File > "Merge Contacts...": asks for the files, then merges them as MergeContactsFiles.
void MergeContactsFile(QWidget* parent, PhoneBookPage& page, const Profile& profile);
// The files' contacts (vCard, CSV, JSON, *.pb) merged into the window's book through the
// preview. A file that cannot be read is said so, and nothing changes.
void MergeContactsFiles(QWidget* parent, PhoneBookPage& page, const Profile& profile,
                        const QStringList& paths);
// File > "Find Duplicates...": the book against itself through the preview.
void FindDuplicates(QWidget* parent, PhoneBookPage& page, const Profile& profile);

}  // namespace numora
