// A sync's plan as lines a person reads: what changes on each side, field by field, the
// conflicts with the value that loses, deletions, pairs to decide, and the cards that stay off
// the handset.
#pragma once

#include <string>
#include <vector>

#include "addressbook/SyncPlan.h"

namespace numora {

// With `done` (after Apply), a card action that was not done is listed as left for the next
// sync instead of as made.
std::vector<std::string> PlanLines(const SyncPlan& plan, const std::vector<bool>* done = nullptr);

// "the server's \"0171\" wins over the handset's \"0170\"".
std::string ConflictText(const SyncConflict& conflict);

}  // namespace numora
