// What every long operation on the book needs from the page that shows it: its controls, the
// form, the progress bar, message boxes and the work file. The file commands and the engine
// each add what only they use.
#pragma once

#include "book/PhoneBook.h"
#include "book/Progress.h"

namespace numora {

// What changed in the book when the page shows it again. Showing the book puts the group
// filter on "All" and fills the list from the book; the combos are filled again only for what
// changed, so an SMS group picked in its combo stays picked when only entries or groups did.
enum class BookChange {
    Entries,     // the group and SMS group combos stay as they are
    Groups,      // the group combos are filled again
    Everything,  // the group combos and the SMS group combo are filled again
};

class BookView : public virtual MessageSink, public virtual Progress {
public:
    // Locks (false) or unlocks (true) the page around every long operation.
    virtual void EnableControls(bool enable) = 0;
    // Empties the combos, the list and the panel while a read or a file load fills the book.
    virtual void ClearForm() = 0;
    virtual void ShowBook(BookChange change) = 0;
    // Deletes the synchronisation work file "backup.efs" in the program's folder, if present.
    virtual void DeleteWorkFile() = 0;
};

}  // namespace numora
