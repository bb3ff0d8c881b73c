// What the book's file commands, the port search and the engine need from the phone book page.
// The window implements it with real controls; the command-line tool and the tests with plain
// objects. Message boxes go through it too, so every text the user would see can be read back.
#pragma once

#include <string>
#include <string_view>

#include "book/PBData.h"

namespace numora {

class IProgress {
public:
    virtual ~IProgress() = default;
    virtual void SetProgressRange(int lo, int hi) = 0;
    virtual void SetProgressPos(int pos) = 0;
    virtual int ProgressPos() const = 0;
    void StepProgress(int by = 1) { SetProgressPos(ProgressPos() + by); }
};

class IPageSeam : public IMessageSink, public IProgress {
public:
    // Locks (false) or unlocks (true) the page around every long operation.
    virtual void EnableControls(bool enable) = 0;
    virtual void ClearForm() = 0;
    virtual void FillGroupCombos() = 0;
    virtual void FillSmsGroupCombo() = 0;
    virtual void RefreshList() = 0;
    virtual void ShowSelectedEntry() = 0;
    // Selects the first item of the group filter ("All" whenever group slot 0 is valid).
    virtual void SelectFirstFilterItem() = 0;
    // Text of the list's "Group" column in a row, at most 16 characters.
    virtual std::string GroupColumnText(int row) const = 0;
    // Lets the window repaint before a long stretch of work.
    virtual void Repaint() {}

    // The port search dialog's status line; codes 0 to 3 (see the port search).
    virtual void PortStatus(int code, int port) = 0;
    virtual void CloseSearchDialog() = 0;

    // Deletes the synchronisation work file "backup.efs" in the program's folder, if present.
    virtual void DeleteWorkFile() = 0;
};

}  // namespace numora
