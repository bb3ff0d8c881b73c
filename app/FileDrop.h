// Files given to the window from outside: dropped on it from a file manager, or named on the
// command line. What happens to them is decided here, from their names and the page's state.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace numora {

enum class DropAction {
    Nothing,         // the page is reading, writing or loading, or no file can be taken
    OpenBook,        // one phone-book file: as File Open, with its snapshot
    MergeOrReplace,  // one contacts file: the user chooses to merge it or replace the entries
    MergeEach,       // several files: merged into the book one after the other
};

struct DropPlan {
    DropAction action = DropAction::Nothing;
    std::vector<std::string> files;    // the files taken, in the order given
    std::vector<std::string> refused;  // files of no kind the window reads
};

// Phone-book files are "*.pb"; contacts files vCard, CSV or JSON, by their extension.
[[nodiscard]] DropPlan PlanDrop(std::span<const std::string> paths, bool pageBusy);

}  // namespace numora
